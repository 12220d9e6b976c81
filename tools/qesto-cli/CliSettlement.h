#pragma once

// What the commands on a settlement directory share: finding the directory
// and its data root, a data module prepared as the program prepares it, and
// turning the data layer's errors into exit code 2 with the Czech message.

#include "CliCommands.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "platform/Messages.h"
#include "settlement/NewYear.h"
#include "settlement/SettlementOpening.h"
#include "statements/FilingChecks.h"
#include "statements/Recalc.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace cli {

inline Result failure(const QString &message)
{
    Result r;
    r.exitCode = 2;
    r.error = message;
    return r;
}

// The settlement directory as an absolute path, and its data root.
struct Settlement
{
    QString dir;
    QString root;
};

inline Settlement locate(const QString &dir)
{
    const QString absolute = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    if (!QFileInfo(absolute).isDir())
        throw data::DatabaseError(
            data::DatabaseError::Kind::Engine,
            QStringLiteral("Adresář %1 neexistuje.").arg(QDir::toNativeSeparators(absolute)));
    return {absolute, QFileInfo(absolute).absolutePath()};
}

// A data module prepared as the program prepares it at start-up, pointed at
// the settlement, able to recompute the statements and to carry out a
// pending new-year rollover.
struct Module
{
    explicit Module(const Settlement &s)
        : dir(s.dir), name(QFileInfo(s.dir).fileName()), dm(data::Collaborators::windowless(recalc)),
          rollover(paths, dm, [this] { return name; })
    {
        paths.FileDir = s.root + u'/';
        dm.DM1Create(s.root);
        dm.setDatabasePath(s.dir);
    }

    // Opens the settlement through the program's own opening (see
    // settlement::openSettlement); what it has to tell goes to stderr.
    // Gives what the opening upgraded.
    data::UpgradeFlags open()
    {
        const settlement::OpeningReport report =
            settlement::openSettlement(dm, dir, dm.templateDir(), dir + u'/' + name + u".ini", &rollover,
                                       [](data::TDM1 &d) { statements::PrepocetVY(d); });
        if (const QString notice = report.notice(); !notice.isEmpty())
            std::fputs((notice + u'\n').toUtf8().constData(), stderr);
        // Tables created empty: a line on stderr, as the window's status bar.
        if (const QString created = data::TDM1::createdEmptyText(dm.createdEmptyTables()); !created.isEmpty())
            std::fputs((created + u'\n').toUtf8().constData(), stderr);
        return report.upgraded;
    }

    // The same opening, for the backup and the restore to reopen with.
    backup::Reopening reopening()
    {
        return settlement::reopening(dir, dm.templateDir(), dir + u'/' + name + u".ini", &rollover,
                                     [](data::TDM1 &d) { statements::PrepocetVY(d); });
    }

    QString dir;
    QString name;
    settlement::AppPaths paths;
    statements::StatementRecalc recalc;
    data::TDM1 dm;
    settlement::NewYearRollover rollover;
};

// What the registry would show in message boxes, kept for stderr. Nothing
// is asked: the commands that use it ask no questions.
class CollectedMessages : public platform::IMessages
{
public:
    void error(const QString &text) override { add(text, true); }
    void information(const QString &text) override { add(text, false); }
    bool confirm(const QString &) override { return false; }
    Answer question(const QString &) override { return Answer::Cancel; }

    QStringList texts;
    bool anyError = false;

private:
    void add(const QString &text, bool isError)
    {
        texts.append(text);
        anyError = anyError || isError;
    }
};

// The work of check, epo and pdf on a settlement already opened; each
// closes it.
QList<statements::FilingIssue> checkOpened(Module &m);
Result epoOpened(Module &m, const QString &out, bool withholding);
Result pdfOpened(Module &m, const QString &out, const QList<int> &pages);

template <class F> Result guarded(F &&command)
{
    try {
        return command();
    } catch (const platform::Error &e) {
        return failure(e.message());
    }
}

} // namespace cli
