#include "data/DataError.h"
#include "data/DatasetDefs.h"
#include "data/ParadoxStore.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QString emptyTable(const QTemporaryDir &dir, data::TableId id)
{
    const QString path = dir.filePath(data::tableDef(id).fileName());
    paradox::Table::create(path, data::tableDef(id).schema())->close();
    return path;
}

// A table of the settlement declared from its definition over an empty file.
struct Bound
{
    explicit Bound(data::TableId id)
        : store(emptyTable(dir, id)), table(data::tableDef(id).name(), &store),
          binding(table, data::tableDef(id))
    {
        table.setToday([] { return QDate(2026, 12, 7); });
        table.open();
        if (table.isEmpty())
            table.append();
        else
            table.edit();
    }
    data::Field *operator[](const QString &name) const { return table.fieldByName(name); }

    QTemporaryDir dir;
    data::ParadoxStore store;
    data::Dataset table;
    data::DatasetBinding binding;
};

} // namespace

// The binding of table definitions to datasets: the rules every editor and
// calculation relies on, checked on the real tables.
class TestDatasetDefs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void employmentStatementTotalsAndRounding();
    void printSettingsNeedCopies();
};

void TestDatasetDefs::employmentStatementTotalsAndRounding()
{
    Bound vdvl(data::TableId::Vdvl);
    QCOMPARE(vdvl.table.recordCount(), 1); // the one record exists from opening on
    vdvl[u"Sl21"_s]->setText(u"10000"_s);
    vdvl[u"Slo31"_s]->setText(u"500"_s);
    vdvl[u"Sl51"_s]->setText(u"1200"_s);
    vdvl[u"Slb51"_s]->setText(u"300"_s);
    vdvl[u"Sl22"_s]->setText(u"100,4"_s);
    QCOMPARE(vdvl[u"Sl81"_s]->asFloat(), 1500.0);
    QCOMPARE(vdvl[u"Sl213"_s]->asFloat(), 10100.4);
    QCOMPARE(vdvl[u"Sl813"_s]->asFloat(), 1500.0);
    QCOMPARE(vdvl[u"Sl413"_s]->asFloat(), 0.0);
    QCOMPARE(vdvl[u"Sl213"_s]->displayText(), u"10100"_s);

    vdvl[u"Vc2"_s]->setText(u"-0,5"_s);
    vdvl[u"C106"_s]->setText(u"12,5"_s);
    QElapsedTimer timer;
    timer.start();
    vdvl.table.post();
    qInfo("Vdvl post with rounding: %lld us", timer.nsecsElapsed() / 1000);

    QCOMPARE(vdvl[u"Sl22"_s]->asFloat(), 100.0);
    QCOMPARE(vdvl[u"C106"_s]->asFloat(), 13.0);
    QCOMPARE(vdvl[u"Vc2"_s]->asFloat(), -1.0);
    QVERIFY(!vdvl[u"Sl23"_s]->isNull()); // an empty amount is stored as 0
    QVERIFY(vdvl[u"Vc1"_s]->isNull());   // except the refund lines
    QVERIFY(vdvl[u"Ztv1"_s]->isNull());
    QCOMPARE(vdvl[u"Sl213"_s]->asFloat(), 10100.0);

    vdvl.table.close();
    const auto file = paradox::Table::open(vdvl.store.filePath());
    const data::TableDef &def = data::tableDef(data::TableId::Vdvl);
    QCOMPARE(file->value(0, def.indexOf(u"Sl22")).toDouble(), 100.0);
    QCOMPARE(file->value(0, def.indexOf(u"Sl23")).toDouble(), 0.0);
    QVERIFY(file->isNull(0, def.indexOf(u"Vc1")));
}

void TestDatasetDefs::printSettingsNeedCopies()
{
    Bound dmt(data::TableId::Dmt);
    try {
        dmt.table.post();
        QFAIL("posted without a number of copies");
    } catch (const data::DatabaseError &e) {
        QCOMPARE(e.message(), u"0 není platná hodnota pro pole 'Kop'. Povolený rozsah je od 1 do 999"_s);
    }
    QVERIFY(dmt.table.isEditing());
    dmt[u"Kop"_s]->setText(u"1"_s);
    dmt.table.post();
    QCOMPARE(dmt[u"Dpt"_s]->asInteger(), 0);
    QVERIFY(!dmt[u"Dpt"_s]->isNull());
}

QTEST_GUILESS_MAIN(TestDatasetDefs)
#include "test_dataset_defs.moc"
