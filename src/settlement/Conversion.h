#pragma once

#include "settlement/AppPaths.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {
class IMessages;
}
namespace registry {
class SettlementList;
}

namespace settlement {

// What one run of the previous-version check decides: the earlier
// installation's "Data.DB", whether to take its data over, and whether the
// taken-over settlements roll into the new year (1) or are only archived
// (2) when first opened.
struct ConversionState
{
    QString candidate;
    bool convertData = true;
    bool newYear = true;
    bool success = false;
};

// The window "Převod dat z předchozích verzí": shows the state and lets the
// user change it.
class IConversionWindow
{
public:
    virtual ~IConversionWindow() = default;
    virtual void ask(ConversionState &state) = 0;
};

// Taking over the settlements of an earlier year's installation beside this
// one: the check at the first start (KontrolaInst1), the settings and the
// list (KontrolaInst2, PrevodVozidel1), each settlement directory with its
// rollover request (PrevodVozidel2).
class Conversion
{
public:
    Conversion(const AppPaths &paths, platform::IMessages &messages, registry::SettlementList &list,
               IConversionWindow *window = nullptr);

    void setWindow(IConversionWindow *window) { m_window = window; }
    void setBusy(std::function<void(bool)> busy) { m_busy = std::move(busy); }

    // The check: once per installation, re-armed by Ctrl+P in the list. It
    // counts as done only once it has run to its end: a conversion whose
    // copying was stopped (a killed program, a power cut) is carried out
    // again from the start at the next start, over what it had copied.
    void KontrolaInst1();
    void KontrolaInst2(const QString &localListPath, const QString &candidate);
    void PrevodVozidel1(const QString &source);
    void PrevodVozidel2(const QString &source);

    const ConversionState &state() const { return m_state; }
    ConversionState &state() { return m_state; }

    // The newest earlier installation's "Data.DB" beside the program
    // directory or the local data root (that one first within a year);
    // empty when there is none.
    static QString findCandidate(const QString &programDir, const QString &localRoot, int taxYear);

    // The conversion window's rules. A file chosen in the local data root
    // is refused with the message; the edit then gets the candidate back.
    bool acceptChosenFile(const QString &chosen);
    // Closing the window is refused (with the message) while the edit names
    // the local data root or a file that does not exist.
    bool acceptClose(const QString &edit);
    // The window closed: its values become the state.
    void windowClosed(const QString &edit, bool convertData, bool newYear);

    // The settlements whose files could not all be copied ("D3 Firma"),
    // named in the final message.
    const QStringList &failedSettlements() const { return m_failed; }

private:
    QString localIni() const;
    void restoreEmptyList();

    const AppPaths &m_paths;
    platform::IMessages &m_messages;
    registry::SettlementList &m_list;
    IConversionWindow *m_window = nullptr;
    std::function<void(bool)> m_busy;
    ConversionState m_state;
    QStringList m_failed;
    bool m_resuming = false;
};

} // namespace settlement
