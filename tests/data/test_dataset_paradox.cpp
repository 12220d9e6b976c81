#include "data/DataError.h"
#include "data/Dataset.h"
#include "data/ParadoxStore.h"
#include "data/Rounding.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using paradox::FieldType;

// The dataset layer over real table files: what a post writes is what the
// engine reads back after the file is closed and opened again.
class TestDatasetParadox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void postReachesTheFile();
    void keyedTableThroughTheEngine();
    void secondHandleChangesAreFollowed();
    void engineErrorsComeAsDatabaseError();
};

void TestDatasetParadox::postReachesTheFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Vdvl.DB"_s);
    const paradox::Schema schema{
        {paradox::field(u"Sl21"_s, FieldType::Number), paradox::field(u"Vc1"_s, FieldType::Number),
         paradox::alpha(u"Slc31"_s, 30), paradox::field(u"D11"_s, FieldType::Date),
         paradox::field(u"Pk"_s, FieldType::Logical), paradox::field(u"Kop"_s, FieldType::Short)},
        0};
    paradox::Table::create(path, schema)->close();

    data::ParadoxStore store(path);
    data::Dataset vdvl(u"Vdvl"_s, &store);
    vdvl.createFields(schema);
    auto *sl21 = vdvl.fieldAs<data::FloatField>(u"Sl21"_s);
    auto *vc1 = vdvl.fieldAs<data::FloatField>(u"Vc1"_s);
    vdvl.beforePost = [&](data::Dataset &) {
        data::roundAmounts({sl21}, data::EmptyAmount::Zero);
        data::roundAmounts({vc1}, data::EmptyAmount::Keep);
    };
    vdvl.setOneRecord(true);
    vdvl.open();
    QCOMPARE(vdvl.recordCount(), 1);

    vdvl.edit();
    sl21->setText(u"12,5"_s);
    vdvl.fieldByName(u"Slc31"_s)->setText(u"č. j. 123/2015 – Žďár"_s);
    vdvl.fieldByName(u"D11"_s)->setText(u"1.2.2015"_s);
    vdvl.fieldByName(u"Pk"_s)->setAsBoolean(true);
    vdvl.fieldByName(u"Kop"_s)->setText(u"2"_s);
    vdvl.post();
    vdvl.close();

    auto table = paradox::Table::open(path);
    QCOMPARE(table->recordCount(), 1);
    const QVariantList record = table->record(0);
    QCOMPARE(record.at(0).toDouble(), 13.0);
    QVERIFY(record.at(1).isNull() || !record.at(1).isValid()); // an empty Vc1 stays empty
    QCOMPARE(record.at(2).toString(), u"č. j. 123/2015 – Žďár"_s);
    QCOMPARE(record.at(3).toDate(), QDate(2015, 2, 1));
    QCOMPARE(record.at(4).toBool(), true);
    QCOMPARE(record.at(5).toInt(), 2);
}

void TestDatasetParadox::keyedTableThroughTheEngine()
{
    // The engine's key violation arrives as the layer's own kind.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Mzd11.DB"_s);
    const paradox::Schema schema{
        {paradox::field(u"O"_s, FieldType::Short), paradox::field(u"Dan"_s, FieldType::Long)}, 1};
    paradox::Table::create(path, schema)->close();

    data::ParadoxStore store(path);
    data::Dataset mzd11(u"Mzd11"_s, &store);
    mzd11.createFields(schema);
    data::Field *o = mzd11.fieldByName(u"O"_s);
    mzd11.open();
    for (int month : {12, 3, 3}) {
        mzd11.append();
        o->setAsInteger(month);
        try {
            mzd11.post();
        } catch (const data::DatabaseError &e) {
            QCOMPARE(e.kind(), data::DatabaseError::Kind::KeyViolation);
            mzd11.cancel();
        }
    }
    QVERIFY(mzd11.findKey({12}));
    QCOMPARE(mzd11.recNo(), 2);
    QCOMPARE(paradox::Table::open(path)->recordCount(), 2);
}

void TestDatasetParadox::secondHandleChangesAreFollowed()
{
    // Two cursors over one file (the employee-count table and the one that
    // numbers its pages): rows the other one adds or deletes must not make
    // an edit land on the wrong record.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Vpz.DB"_s);
    const paradox::Schema schema{{paradox::field(u"ID"_s, FieldType::Autoinc), paradox::alpha(u"N3"_s, 22)},
                                 1};
    paradox::Table::create(path, schema)->close();

    data::ParadoxStore store(path);
    data::Dataset vpz(u"Vpz"_s, &store);
    vpz.createFields(schema);
    data::Field *n3 = vpz.fieldByName(u"N3"_s);
    vpz.open();
    for (const QString &place : {u"Praha"_s, u"Brno"_s, u"Ostrava"_s}) {
        vpz.append();
        n3->setText(place);
        vpz.post();
    }
    vpz.setRecNo(2);
    QCOMPARE(n3->asString(), u"Brno"_s);

    data::ParadoxStore otherStore(path);
    data::Dataset vpzPr(u"VpzPr"_s, &otherStore);
    vpzPr.createFields(schema);
    vpzPr.open();
    vpzPr.first();
    vpzPr.deleteRecord(); // Praha goes

    vpz.edit();
    QCOMPARE(n3->asString(), u"Brno"_s);
    QCOMPARE(vpz.recNo(), 1);
    n3->setText(u"Brno-střed"_s);
    vpzPr.last();
    vpzPr.deleteRecord(); // Ostrava goes while Brno is being edited
    vpz.post();
    vpzPr.refresh();
    QCOMPARE(vpzPr.recordCount(), 1);
    QCOMPARE(vpzPr.fieldByName(u"N3"_s)->asString(), u"Brno-střed"_s);

    // The record being edited vanishes: the post says so instead of
    // writing over another row.
    vpz.edit();
    n3->setText(u"Brno-sever"_s);
    vpzPr.refresh();
    vpzPr.deleteRecord();
    vpzPr.append();
    vpzPr.fieldByName(u"N3"_s)->setText(u"Plzeň"_s);
    vpzPr.post();
    QVERIFY_THROWS_EXCEPTION(data::DatabaseError, vpz.post());
    vpz.cancel();
    vpz.refresh();
    QCOMPARE(vpz.recordCount(), 1);
    QCOMPARE(n3->asString(), u"Plzeň"_s);
}

void TestDatasetParadox::engineErrorsComeAsDatabaseError()
{
    QTemporaryDir dir;
    data::ParadoxStore store(dir.filePath(u"Chybi.DB"_s));
    data::Dataset table(u"Chybi"_s, &store);
    try {
        table.open();
        QFAIL("a missing file opened");
    } catch (const data::DatabaseError &e) {
        QCOMPARE(e.kind(), data::DatabaseError::Kind::Engine);
        QVERIFY(!e.message().isEmpty());
    }
    QVERIFY(!table.isActive());

    // The kind travels, not the wording: a key violation phrased otherwise is
    // still one, and another refusal that happens to start like one is not.
    const auto mapped = [](paradox::TableError::Kind kind, const QString &text) {
        try {
            data::withEngineErrors([&] { throw paradox::TableError(kind, text); });
        } catch (const data::DatabaseError &e) {
            return e.message() == text ? e.kind() : data::DatabaseError::Kind::State;
        }
        return data::DatabaseError::Kind::State;
    };
    QCOMPARE(mapped(paradox::TableError::Kind::KeyViolation, u"Duplicitní klíč v Mzd11.DB."_s),
             data::DatabaseError::Kind::KeyViolation);
    QCOMPARE(mapped(paradox::TableError::Kind::Invalid, u"Porušení klíče není, jen pole chybí."_s),
             data::DatabaseError::Kind::Engine);
}

QTEST_GUILESS_MAIN(TestDatasetParadox)
#include "test_dataset_paradox.moc"
