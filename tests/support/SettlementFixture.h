#pragma once

// Settlements on disk for the data module's tests and benchmarks: a data
// root with its templates, a current settlement, and settlements as earlier
// versions wrote them, built with the table engine.

#include "data/TableDefs.h"
#include "data/Templates.h"
#include "data/Upgrade.h"
#include "paradox/Table.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QVariantMap>

namespace dm1test {

// A data root in `root` with the templates in "Data/" and an empty current
// settlement in "D1/"; returns the settlement directory.
inline QString makeCurrentSettlement(const QString &root)
{
    QDir(root).mkpath(QStringLiteral("Data"));
    QDir(root).mkpath(QStringLiteral("D1"));
    data::createSettlementTemplates(root + QStringLiteral("/Data"));
    data::createSettlementTemplates(root + QStringLiteral("/D1"));
    return root + QStringLiteral("/D1");
}

// The table's current layout without the fields of its generations from
// `firstMissing` (0-based) on: the layout of the version before that generation.
inline paradox::Schema olderSchema(data::TableId id, int firstMissing)
{
    const QList<data::Generation> &gens = data::generations(id);
    QStringList missing;
    for (int g = firstMissing; g < gens.size(); ++g)
        missing += gens[g].fields;
    paradox::Schema schema = data::tableDef(id).schema();
    schema.fields.removeIf(
        [&missing](const paradox::FieldDef &f) { return missing.contains(f.name, Qt::CaseInsensitive); });
    return schema;
}

// Replaces the settlement's table by one of an older layout holding one
// record with the given values (by field name); no record when values is empty.
inline void writeOlderTable(const QString &dir, data::TableId id, int firstMissing, const QVariantMap &values)
{
    const QString path = data::tableFilePath(dir, data::tableDef(id).fileName());
    paradox::Table::removeTable(path);
    const paradox::Schema schema = olderSchema(id, firstMissing);
    auto table = paradox::Table::create(path, schema);
    if (values.isEmpty())
        return;
    QVariantList record(schema.fields.size());
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const int i = table->fieldIndex(it.key());
        Q_ASSERT_X(i >= 0, "writeOlderTable", qPrintable(it.key()));
        record[i] = it.value();
    }
    table->append(record);
}

inline void removeTableFiles(const QString &dir, data::TableId id)
{
    paradox::Table::removeTable(data::tableFilePath(dir, data::tableDef(id).fileName()));
}

// A settlement that needs every upgrade: Prp before its first generation,
// Dmt without the print settings, Vdvl before generation A, Vpkv before its
// first generation, the withholding months only in Vvdp, no Vdvs, Vpkb or
// Mzd11 files.
inline QString makeOldestSettlement(const QString &root)
{
    const QString dir = makeCurrentSettlement(root);
    writeOlderTable(dir, data::TableId::Prp, 0,
                    {{QStringLiteral("Opr"), QStringLiteral("Stavby Novák s.r.o.")},
                     {QStringLiteral("Oprz"), true},
                     {QStringLiteral("Ul1"), QStringLiteral("Hlavní 12")},
                     {QStringLiteral("Psc"), QStringLiteral("602 00")},
                     {QStringLiteral("Obe"), QStringLiteral("Brno")},
                     {QStringLiteral("Pr"), QStringLiteral("Novák")},
                     {QStringLiteral("Jm"), QStringLiteral("Jan")},
                     {QStringLiteral("Oj1"), QStringLiteral("Stavby")},
                     {QStringLiteral("Oj2"), QStringLiteral("Novák")},
                     {QStringLiteral("Dic"), QStringLiteral("CZ12345678")}});
    writeOlderTable(dir, data::TableId::Dmt, 0,
                    {{QStringLiteral("Dpt"), 5}, {QStringLiteral("Dpl"), 7}, {QStringLiteral("Kop"), 2}});
    QVariantMap vdvl{{QStringLiteral("D11"), QDate(2014, 1, 31)},
                     {QStringLiteral("D19"), QStringLiteral("leden")}};
    for (int m = 1; m <= 12; ++m) {
        vdvl.insert(QStringLiteral("Sl2") + QString::number(m), 1000.4 * m);
        vdvl.insert(QStringLiteral("Sl5") + QString::number(m), 100.0);
        vdvl.insert(QStringLiteral("Sl9") + QString::number(m), 900.0 * m);
        vdvl.insert(QStringLiteral("Sl7") + QString::number(m), 5.0);
    }
    writeOlderTable(dir, data::TableId::Vdvl, 0, vdvl);
    writeOlderTable(dir, data::TableId::Vpkv, 0, {{QStringLiteral("C15"), 10.49}});
    QVariantMap vvdp;
    for (int m = 1; m <= 12; ++m)
        vvdp.insert(QStringLiteral("C") + QString::number(m), 100.0 * m);
    writeOlderTable(dir, data::TableId::Vvdp, 0, vvdp);
    removeTableFiles(dir, data::TableId::Vdvs);
    removeTableFiles(dir, data::TableId::Vpkb);
    removeTableFiles(dir, data::TableId::Mzd11);
    return dir;
}

// Every table and index file of the directory with its bytes (lock files
// come and go with each opening).
inline QHash<QString, QByteArray> snapshot(const QString &dir)
{
    QHash<QString, QByteArray> files;
    const QStringList filters{QStringLiteral("*.DB"), QStringLiteral("*.PX")};
    for (const QFileInfo &info : QDir(dir).entryInfoList(filters, QDir::Files)) {
        QFile f(info.filePath());
        if (f.open(QIODevice::ReadOnly))
            files.insert(info.fileName(), f.readAll());
    }
    return files;
}

} // namespace dm1test
