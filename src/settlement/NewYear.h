#pragma once

#include "settlement/SettlementOpening.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace data {
class TDM1;
} // namespace data
namespace platform {
class IMessages;
}

namespace settlement {

// The new-year rollover (NovyRok2) of the open settlement: the whole
// directory into an archive in "Zaloha\Archiv\", then, in mode 1, the
// statements and annexes replaced by their empty templates and the company
// data carried into the next year. Mode 2 only writes the archive. The
// statements are emptied only after the archive has been written and read
// back. Failures throw data::DatabaseError with a Czech message.
class NewYearRollover : public IRollover
{
public:
    NewYearRollover(const AppPaths &paths, data::TDM1 &dm, std::function<QString()> dirName);

    void setBusy(std::function<void(bool)> busy) { m_busy = std::move(busy); }
    // Where the date-time archive name takes "now" from; tests fix it.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }

    void NovyRok2(int mode) override;

    // The archive written by the last rollover.
    const QString &lastArchive() const { return m_lastArchive; }

    // The archive's name without ".zip": the person's name when the
    // business name is empty, the business name when the person's is, else
    // the date and time; the year first; characters a file name cannot hold
    // removed.
    static QString archiveName(const QString &Tiv, const QString &Jmd, const QString &Prk, const QString &Ojv,
                               const QString &Rok, const QDateTime &now);
    // The archive file in archiveDir (stored form, ending with "\"): name +
    // ".zip", or name + " - " + dirName + ".zip" when the first exists.
    static QString archivePath(const QString &archiveDir, const QString &name, const QString &dirName);
    // The year text raised by one; text that is not a whole number is kept.
    static QString nextYear(const QString &rok);

private:
    void shiftCompanyData();

    const AppPaths &m_paths;
    data::TDM1 &m_dm;
    std::function<QString()> m_dirName;
    std::function<void(bool)> m_busy;
    std::function<QDateTime()> m_now;
    QString m_lastArchive;
};

// "&Nový rok": asks twice, then NovyRok2(1); false when not confirmed.
bool NovyRok1Click(IRollover &rollover, platform::IMessages &messages);

} // namespace settlement
