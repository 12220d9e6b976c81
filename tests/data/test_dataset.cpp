#include "data/DataError.h"
#include "data/DataSource.h"
#include "data/Dataset.h"
#include "data/Rounding.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using data::DatabaseError;
using data::DatasetState;
using paradox::FieldType;

namespace {

paradox::Schema monthsSchema()
{
    return {{paradox::field(u"Sl21"_s, FieldType::Number), paradox::field(u"Sl22"_s, FieldType::Number),
             paradox::field(u"Vc1"_s, FieldType::Number), paradox::alpha(u"Old"_s, 10)},
            0};
}

// A statement-like table: two monthly amounts, their calculated year total,
// one amount that may stay empty and a column the program does not declare.
struct Statement
{
    explicit Statement(QList<QVariantList> records = {})
        : store(monthsSchema(), std::move(records)), table(u"Vdvl"_s, &store)
    {
        sl21 = table.addFloatField(u"Sl21"_s);
        sl22 = table.addFloatField(u"Sl22"_s);
        vc1 = table.addFloatField(u"Vc1"_s);
        sl213 = table.addFloatField(u"Sl213"_s, data::FieldRole::Calculated);
        for (data::FloatField *f : {sl21, sl22, vc1})
            f->setRange(-9999999999.0, 9999999999.0);
        table.onCalcFields = [this](data::Dataset &) {
            ++calcRuns;
            sl213->setAsFloat(data::sumOf({sl21, sl22}));
        };
    }

    data::MemoryStore store;
    data::Dataset table;
    data::FloatField *sl21;
    data::FloatField *sl22;
    data::FloatField *vc1;
    data::FloatField *sl213;
    int calcRuns = 0;
};

// A keyed many-row table with an auto-increment and a key.
struct Months
{
    Months()
        : store(paradox::Schema{
              {paradox::field(u"O"_s, FieldType::Short), paradox::field(u"Dan"_s, FieldType::Long)}, 1}),
          table(u"Mzd11"_s, &store)
    {
        table.createFields(store.schema());
        o = table.fieldAs<data::IntegerField>(u"O"_s);
        dan = table.fieldAs<data::IntegerField>(u"Dan"_s);
        table.open();
    }
    void add(int month, int tax)
    {
        table.append();
        o->setAsInteger(month);
        dan->setAsInteger(tax);
        table.post();
    }

    data::MemoryStore store;
    data::Dataset table;
    data::IntegerField *o;
    data::IntegerField *dan;
};

QStringList keysOf(data::Dataset &table)
{
    QStringList keys;
    for (table.first(); !table.eof(); table.next())
        keys << table.field(0)->asString();
    return keys;
}

} // namespace

class TestDataset : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneRecordTableGetsItsRecord();
    void editPostCancel();
    void failedPostStaysInEdit();
    void insertAppendDelete();
    void leavingARecordPostsOrCancels();
    void navigation();
    void keyedTable();
    void openChecksDeclaredFields();
    void calculatedFieldsFollowTheRecord();
    void calcSuspender();
    void eventOrder();
    void dataSourceNotifications();
    void disableControlsCoalesces();
};

void TestDataset::oneRecordTableGetsItsRecord()
{
    Statement s;
    s.table.setOneRecord(true);
    s.table.open();
    QCOMPARE(s.table.recordCount(), 1);
    QCOMPARE(s.store.records().size(), 1);
    QVERIFY(s.sl21->isNull());
    QCOMPARE(s.table.state(), DatasetState::Browse);

    // Opening again finds the record and adds no second one.
    s.table.close();
    s.table.open();
    QCOMPARE(s.store.records().size(), 1);
}

void TestDataset::editPostCancel()
{
    Statement s({{100.0, 200.0, QVariant(), u"x"_s}});
    s.table.open();
    QCOMPARE(s.sl21->asFloat(), 100.0);

    s.table.edit();
    QCOMPARE(s.table.state(), DatasetState::Edit);
    QVERIFY(!s.table.isModified());
    s.sl21->setAsFloat(150);
    QVERIFY(s.table.isModified());
    s.table.cancel();
    QCOMPARE(s.table.state(), DatasetState::Browse);
    QCOMPARE(s.sl21->asFloat(), 100.0);

    s.table.edit();
    s.sl21->setAsFloat(150);
    s.vc1->setAsFloat(3);
    s.table.post();
    QCOMPARE(s.table.state(), DatasetState::Browse);
    QVERIFY(!s.table.isModified());
    QCOMPARE(s.store.records().at(0).at(0).toDouble(), 150.0);
    QCOMPARE(s.store.records().at(0).at(2).toDouble(), 3.0);
    QCOMPARE(s.store.records().at(0).at(3).toString(), u"x"_s); // a column nobody declared survives

    // Post and cancel outside edit mode change nothing.
    s.table.post();
    s.table.cancel();
    QCOMPARE(s.store.records().at(0).at(0).toDouble(), 150.0);
}

void TestDataset::failedPostStaysInEdit()
{
    // A refusal before the write (the rounding's range message, a required
    // field) abandons the post; the user's values stay for correcting.
    Statement s({{1.5, QVariant(), QVariant(), QVariant()}});
    s.table.beforePost = [&s](data::Dataset &) {
        data::roundAmounts({s.sl21, s.sl22}, data::EmptyAmount::Zero);
    };
    s.table.open();
    s.table.edit();
    s.sl22->setAsFloat(9999999999.0);
    s.sl22->setRange(-9999999999.0, 9999999998.0);
    s.sl21->setAsFloat(2.5);
    QVERIFY_THROWS_EXCEPTION(DatabaseError, s.table.post());
    QCOMPARE(s.table.state(), DatasetState::Edit);
    QCOMPARE(s.store.records().at(0).at(0).toDouble(), 1.5);
    QCOMPARE(s.sl21->asFloat(), 3.0);

    s.sl22->setRange(-9999999999.0, 9999999999.0);
    s.vc1->setRequired(true);
    try {
        s.table.post();
        QFAIL("required field accepted empty");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.message(), u"Pole 'Vc1' musí mít hodnotu"_s);
    }
    QCOMPARE(s.table.state(), DatasetState::Edit);
    s.vc1->setAsFloat(1);
    s.table.post();
    QCOMPARE(s.store.records().at(0).at(1).toDouble(), 9999999999.0);
}

void TestDataset::insertAppendDelete()
{
    Statement s({{1.0, QVariant(), QVariant(), QVariant()}, {2.0, QVariant(), QVariant(), QVariant()}});
    s.table.open();
    s.table.last();
    s.table.insert(); // before the current record
    QCOMPARE(s.table.state(), DatasetState::Insert);
    QCOMPARE(s.table.recNo(), -1);
    QVERIFY(s.sl21->isNull());
    s.sl21->setAsFloat(1.5);
    s.table.post();
    QCOMPARE(keysOf(s.table), (QStringList{u"1"_s, u"1,5"_s, u"2"_s}));

    s.table.first();
    s.table.append();
    s.sl21->setAsFloat(3);
    s.table.cancel(); // back where we were, nothing written
    QCOMPARE(s.table.recNo(), 1);
    QCOMPARE(s.table.recordCount(), 3);

    s.table.append();
    s.sl21->setAsFloat(3);
    s.table.post();
    QCOMPARE(s.table.recNo(), 4);

    s.table.deleteRecord(); // the last one: the cursor moves to the new last
    QCOMPARE(s.table.recordCount(), 3);
    QCOMPARE(s.table.recNo(), 3);
    QCOMPARE(s.sl21->asFloat(), 2.0);
    s.table.first();
    s.table.deleteRecord();
    QCOMPARE(s.sl21->asFloat(), 1.5);

    // Deleting while inserting drops the new record only.
    s.table.insert();
    s.table.deleteRecord();
    QCOMPARE(s.table.recordCount(), 2);

    s.table.deleteRecord();
    s.table.deleteRecord();
    QVERIFY(s.table.isEmpty());
    QVERIFY(s.table.eof() && s.table.bof());
    QVERIFY_THROWS_EXCEPTION(DatabaseError, s.table.deleteRecord());

    // Editing an empty table starts a new record.
    s.table.edit();
    QCOMPARE(s.table.state(), DatasetState::Insert);
}

void TestDataset::leavingARecordPostsOrCancels()
{
    Statement s({{1.0, QVariant(), QVariant(), QVariant()}, {2.0, QVariant(), QVariant(), QVariant()}});
    s.table.open();
    s.table.edit();
    s.sl21->setAsFloat(10);
    s.table.next(); // posts the change
    QCOMPARE(s.store.records().at(0).at(0).toDouble(), 10.0);
    QCOMPARE(s.table.state(), DatasetState::Browse);

    s.table.append();
    s.table.first(); // a new record nobody touched is dropped
    QCOMPARE(s.table.recordCount(), 2);

    s.table.edit();
    s.sl21->setAsFloat(20);
    s.table.close(); // closing discards
    s.table.open();
    QCOMPARE(s.sl21->asFloat(), 10.0);
}

void TestDataset::navigation()
{
    Months m;
    QVERIFY(m.table.eof() && m.table.bof());
    QCOMPARE(m.table.recNo(), 0);
    QCOMPARE(m.table.moveBy(3), 0);
    for (int month = 1; month <= 5; ++month)
        m.add(month, month * 100);

    m.table.first();
    QVERIFY(m.table.bof());
    QVERIFY(!m.table.eof());
    QCOMPARE(m.table.moveBy(2), 2);
    QCOMPARE(m.table.recNo(), 3);
    QVERIFY(!m.table.bof());
    QCOMPARE(m.table.moveBy(10), 2);
    QVERIFY(m.table.eof());
    QCOMPARE(m.dan->asInteger(), 500);
    m.table.prior();
    QVERIFY(!m.table.eof());
    QCOMPARE(m.table.moveBy(-10), -3);
    QVERIFY(m.table.bof());
    m.table.setRecNo(4);
    QCOMPARE(m.o->asInteger(), 4);

    // Refresh keeps the position and sees what another handle wrote.
    QVariantList changed = m.store.read(3);
    changed[1] = 444;
    m.store.update(3, changed);
    m.table.refresh();
    QCOMPARE(m.table.recNo(), 4);
    QCOMPARE(m.dan->asInteger(), 444);
}

void TestDataset::keyedTable()
{
    Months m;
    for (int month : {5, 1, 12, 3})
        m.add(month, month);
    QCOMPARE(keysOf(m.table), (QStringList{u"1"_s, u"3"_s, u"5"_s, u"12"_s}));

    // Posting puts the cursor on the record where the key placed it.
    m.add(4, 4);
    QCOMPARE(m.table.recNo(), 3);
    QCOMPARE(m.o->asInteger(), 4);

    // A duplicate key is refused and the new record stays for correcting.
    m.table.append();
    m.o->setAsInteger(3);
    QVERIFY_THROWS_EXCEPTION(DatabaseError, m.table.post());
    QCOMPARE(m.table.state(), DatasetState::Insert);
    m.table.cancel();

    QVERIFY(m.table.findKey({12}));
    QCOMPARE(m.table.recNo(), 5);
    QVERIFY(!m.table.findKey({7}));
    QCOMPARE(m.table.recNo(), 5);

    // Changing the key moves the record.
    m.table.edit();
    m.o->setAsInteger(2);
    m.table.post();
    QCOMPARE(m.table.recNo(), 2);
    QCOMPARE(keysOf(m.table), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));
}

void TestDataset::openChecksDeclaredFields()
{
    data::MemoryStore store(paradox::Schema{{paradox::field(u"Sl21"_s, FieldType::Number)}, 0});
    data::Dataset table(u"Vdvl"_s, &store);
    table.addFloatField(u"sl21"_s); // letter case does not matter
    table.addFloatField(u"Slb51"_s);
    table.addStringField(u"Slc31"_s, 30);
    QCOMPARE(table.missingFields(store.schema()), (QStringList{u"Slb51"_s, u"Slc31"_s}));
    try {
        table.open();
        QFAIL("opened without a declared field");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.kind(), DatabaseError::Kind::MissingField);
        QCOMPARE(e.message(), u"Pole 'Slb51' nebylo v tabulce Vdvl nalezeno"_s);
    }
    QVERIFY(!table.isActive());
    QVERIFY(!store.isOpen());

    data::Dataset wrongType(u"Vdvl"_s, &store);
    wrongType.addStringField(u"Sl21"_s);
    QVERIFY_THROWS_EXCEPTION(DatabaseError, wrongType.open());
    QVERIFY_THROWS_EXCEPTION(DatabaseError, table.addFloatField(u"SL21"_s));
}

void TestDataset::calculatedFieldsFollowTheRecord()
{
    Statement s({{100.0, 200.0, QVariant(), QVariant()}, {1.0, QVariant(), QVariant(), QVariant()}});
    s.table.open();
    QCOMPARE(s.sl213->asFloat(), 300.0);
    s.table.next();
    QCOMPARE(s.sl213->asFloat(), 1.0);

    // Each assignment refreshes the totals at once, so a later step sees them.
    s.table.edit();
    s.sl22->setAsFloat(0.4);
    QCOMPARE(s.sl213->asFloat(), 1.4);
    s.table.cancel();
    QCOMPARE(s.sl213->asFloat(), 1.0);

    // Calculated fields are not stored and cannot be set while browsing.
    QVERIFY_THROWS_EXCEPTION(DatabaseError, s.sl213->setAsFloat(5));
    QCOMPARE(s.store.records().at(1).size(), 4);
}

void TestDataset::calcSuspender()
{
    Statement s({{100.0, 200.0, QVariant(), QVariant()}});
    s.table.open();
    s.table.edit();
    const int before = s.calcRuns;
    {
        data::CalcSuspender off(s.table);
        QVERIFY(!s.table.autoCalcFields());
        s.sl21->setAsFloat(1);
        s.sl22->setAsFloat(2);
        QCOMPARE(s.calcRuns, before);
        QCOMPARE(s.sl213->asFloat(), 300.0);
    }
    QVERIFY(s.table.autoCalcFields());
    s.table.post();
    QCOMPARE(s.sl213->asFloat(), 3.0); // the re-read after the post computes them

    // When an assignment throws, the switch comes back on and the totals are
    // brought up to date, as no re-read follows.
    s.table.edit();
    s.sl22->setRange(0, 10);
    try {
        data::CalcSuspender off(s.table);
        s.sl21->setAsFloat(5);
        s.sl22->setAsFloat(50);
    } catch (const DatabaseError &) {
    }
    QVERIFY(s.table.autoCalcFields());
    QCOMPARE(s.sl213->asFloat(), 7.0);
}

void TestDataset::eventOrder()
{
    Statement s({{1.0, QVariant(), QVariant(), QVariant()}});
    QStringList log;
    const auto record = [&log](const char *name) {
        return [&log, name](data::Dataset &) { log << QString::fromLatin1(name); };
    };
    s.table.beforeOpen = record("beforeOpen");
    s.table.afterOpen = record("afterOpen");
    s.table.beforeClose = record("beforeClose");
    s.table.afterClose = record("afterClose");
    s.table.beforeEdit = record("beforeEdit");
    s.table.afterEdit = record("afterEdit");
    s.table.beforeInsert = record("beforeInsert");
    s.table.afterInsert = record("afterInsert");
    s.table.beforePost = record("beforePost");
    s.table.afterPost = record("afterPost");
    s.table.beforeCancel = record("beforeCancel");
    s.table.afterCancel = record("afterCancel");
    s.table.beforeDelete = record("beforeDelete");
    s.table.afterDelete = record("afterDelete");
    s.table.beforeScroll = record("beforeScroll");
    s.table.afterScroll = record("afterScroll");
    s.table.onNewRecord = [&log, &s](data::Dataset &) {
        log << u"onNewRecord"_s;
        s.vc1->setAsFloat(0); // defaults of a new row do not count as a change
    };
    data::DataSource source(&s.table);
    QObject::connect(&source, &data::DataSource::stateChanged, &source,
                     [&log](DatasetState state) { log << u"state %1"_s.arg(int(state)); });
    QObject::connect(&source, &data::DataSource::updateData, &source, [&log] { log << u"updateData"_s; });

    s.table.open();
    s.table.edit();
    s.sl21->setAsFloat(2);
    s.table.post();
    QCOMPARE(log, (QStringList{u"beforeOpen"_s, u"state 1"_s, u"afterOpen"_s, u"afterScroll"_s,
                               u"beforeEdit"_s, u"state 2"_s, u"afterEdit"_s, u"updateData"_s,
                               u"beforePost"_s, u"state 1"_s, u"afterPost"_s}));
    log.clear();

    s.table.append();
    QVERIFY(!s.table.isModified());
    s.table.cancel();
    s.table.deleteRecord();
    s.table.close();
    QCOMPARE(log, (QStringList{u"beforeInsert"_s, u"beforeScroll"_s, u"state 3"_s, u"onNewRecord"_s,
                               u"afterInsert"_s, u"afterScroll"_s, u"beforeCancel"_s, u"state 1"_s,
                               u"afterCancel"_s, u"beforeDelete"_s, u"beforeScroll"_s, u"afterDelete"_s,
                               u"afterScroll"_s, u"beforeClose"_s, u"state 0"_s, u"afterClose"_s}));
}

void TestDataset::dataSourceNotifications()
{
    Statement s({{100.0, 200.0, QVariant(), QVariant()}});
    data::DataSource source(&s.table);
    s.table.open();
    QSignalSpy changed(&source, &data::DataSource::dataChanged);

    // A bound box types into a browsing table: autoEdit starts editing.
    source.setAutoEdit(false);
    QVERIFY(!source.edit());
    QCOMPARE(s.table.state(), DatasetState::Browse);
    source.setAutoEdit(true);
    QVERIFY(source.edit());
    QCOMPARE(s.table.state(), DatasetState::Edit);
    changed.clear();

    // One signal for the field and one for each calculated field it moved.
    s.sl21->setAsFloat(150);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(0).at(0).value<data::Field *>(), s.sl21);
    QCOMPARE(changed.at(1).at(0).value<data::Field *>(), s.sl213);
    changed.clear();
    s.vc1->setAsFloat(1);
    QCOMPARE(changed.size(), 1);

    // A box holding typed text writes it when the post asks for it.
    QString pending = u"12,5"_s;
    QObject::connect(&source, &data::DataSource::updateData, &source, [&] { s.sl22->setText(pending); });
    s.table.post();
    QCOMPARE(s.store.records().at(0).at(1).toDouble(), 12.5);

    // A box whose text is refused stops the post.
    s.table.edit();
    pending = u"abc"_s;
    QVERIFY_THROWS_EXCEPTION(DatabaseError, s.table.post());
    QCOMPARE(s.table.state(), DatasetState::Edit);
}

void TestDataset::disableControlsCoalesces()
{
    Statement s({{1.0, QVariant(), QVariant(), QVariant()}});
    data::DataSource source(&s.table);
    s.table.open();
    QSignalSpy changed(&source, &data::DataSource::dataChanged);
    QSignalSpy state(&source, &data::DataSource::stateChanged);

    s.table.disableControls();
    s.table.disableControls();
    s.table.edit();
    s.sl21->setAsFloat(2);
    s.sl22->setAsFloat(3);
    s.table.enableControls();
    QCOMPARE(changed.size(), 0);
    s.table.enableControls();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).value<data::Field *>(), nullptr);
    QCOMPARE(state.size(), 1);
    QCOMPARE(state.at(0).at(0).value<DatasetState>(), DatasetState::Edit);
}

QTEST_GUILESS_MAIN(TestDataset)
#include "test_dataset.moc"
