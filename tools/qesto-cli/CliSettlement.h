#pragma once

// What the commands on a settlement directory share: finding the directory
// and its data root, a data module prepared as the program prepares it, and
// turning the data layer's errors into exit code 2 with the Czech message.

#include "CliCommands.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "platform/FileOps.h"
#include "platform/Messages.h"
#include "registry/SettlementList.h"
#include "settlement/SettlementModule.h"
#include "settlement/Version.h"
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

// The settlement's own data module (settlement::SettlementModule); what the
// opening has to tell goes to stderr.
struct Module : settlement::SettlementModule
{
    explicit Module(const Settlement &s) : SettlementModule(s.dir, s.root) {}

    // Gives what the opening upgraded.
    data::UpgradeFlags open()
    {
        const settlement::OpeningReport report = SettlementModule::open();
        for (const QString &line : notices(report))
            std::fputs((line + u'\n').toUtf8().constData(), stderr);
        return report.upgraded;
    }
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

// The settlement list of a data root opened as the list window opens it:
// the list's tables with the program's password.
struct RootList
{
    explicit RootList(const QString &fileDir)
        : dir(fileDir), session(data::Collaborators::tablesOnly()),
          list({dir, dir, settlement::Version::yearTag()}, messages)
    {
        session.DM1Create(fileDir);
        list.setOpenOptions(session.openOptions());
        list.attach();
    }
    // Why the list did not open.
    QString refusal() const
    {
        return messages.texts.isEmpty() ? QStringLiteral("V adresáři %1 není seznam Qesto.")
                                              .arg(platform::FileOps::nativePath(dir))
                                        : messages.texts.join(u'\n');
    }
    // The list keeps a reference to it.
    QString dir;
    data::TDM1 session;
    CollectedMessages messages;
    registry::SettlementList list;
};

template <class F> Result guarded(F &&command)
{
    try {
        return command();
    } catch (const platform::Error &e) {
        return failure(e.message());
    }
}

} // namespace cli
