#pragma once

// What the commands on a settlement directory share: finding the directory
// and its data root, a data module prepared as the program prepares it, and
// turning the data layer's errors into exit code 2 with the Czech message.

#include "CliCommands.h"
#include "backup/SettlementArchive.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "statements/Recalc.h"

#include <QDir>
#include <QFileInfo>

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
// the settlement and able to recompute the statements.
struct Module
{
    explicit Module(const Settlement &s) : recalc(dm)
    {
        dm.DM1Create(s.root);
        dm.setDatabasePath(s.dir);
        dm.setStatementRecalc(&recalc);
        dir = s.dir;
    }

    // Opens the settlement as the program does: a restore stopped half-way
    // is completed first, and the statements are recomputed when older files
    // were upgraded, since only this opening knows it. Gives what the
    // opening upgraded.
    data::UpgradeFlags open()
    {
        if (!backup::finishPendingRestore(dir))
            throw data::DatabaseError(data::DatabaseError::Kind::Engine,
                                      QStringLiteral("Nepodařilo se otevřít všechny tabulky."));
        dm.OtevritTabulky();
        const data::UpgradeFlags flags = dm.upgradeFlags();
        if (flags.any())
            statements::PrepocetVY(dm);
        return flags;
    }

    QString dir;
    data::TDM1 dm;
    statements::StatementRecalc recalc;
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
