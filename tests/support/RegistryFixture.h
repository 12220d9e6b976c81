#pragma once

// A fresh data root in a temporary folder, with settlements added the way
// the program leaves them, for the registry tests.

#include "data/TableDefs.h"
#include "data/Templates.h"
#include "paradox/Table.h"
#include "registry/SettlementList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace registry::test {

struct Root
{
    QTemporaryDir dir;
    QString local;
    QString fileDir;

    Root()
    {
        local = dir.path() + QStringLiteral("/local/");
        if (const QString error = data::createDataRoot(local); !error.isEmpty())
            qFatal("%s", qPrintable(error));
        fileDir = local;
    }
    DataRoots roots() { return DataRoots{local, fileDir, QStringLiteral("215")}; }

    // List entries only, without their directories.
    void addEntries(const QList<Settlement> &entries)
    {
        auto list = paradox::Table::open(data::tableFilePath(fileDir, QStringLiteral("Data.DB")));
        for (const Settlement &s : entries)
            list->append({s.Cislo, s.Pozice, s.Nazev, s.Adresar});
    }
    // A settlement as "&Nové" leaves it: the entry and a directory with the templates.
    void addSettlement(int cislo, const QString &name, int pozice = 0)
    {
        const QString dirName = QStringLiteral("D") + QString::number(cislo);
        addEntries({{cislo, pozice ? pozice : cislo, name, dirName}});
        QDir().mkpath(fileDir + dirName);
        for (const QString &f : data::settlementFileNames())
            QFile::copy(fileDir + QStringLiteral("Data/") + f, fileDir + dirName + u'/' + f);
    }
};

// Settlements created through the list as "&Nové" creates them, in the
// given order; gives their directory names ("D1", "D2", ...).
inline QStringList createSettlements(const DataRoots &roots, platform::IMessages &messages,
                                     const paradox::OpenOptions &options, const QStringList &names)
{
    SettlementList list(roots, messages);
    list.setOpenOptions(options);
    list.attach();
    QStringList dirs;
    for (const QString &name : names) {
        const NewSettlement draft = list.prepareNew();
        if (!list.create(draft, name))
            qFatal("settlement %s not created", qPrintable(name));
        dirs.append(draft.Adresar);
    }
    list.close();
    return dirs;
}

inline QList<int> numbers(const SettlementList &list)
{
    QList<int> out;
    for (const Settlement &s : list.entries())
        out.append(s.Cislo);
    return out;
}

} // namespace registry::test
