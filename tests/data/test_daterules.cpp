#include "StatusRecorder.h"
#include "data/DataError.h"
#include "data/Dataset.h"
#include "data/DateRules.h"
#include "data/StatusSink.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDate Today(2026, 12, 7);

class FakePicker : public data::IDatePicker
{
public:
    std::optional<QDate> pickDate(const QDate &initial) override
    {
        shownWith = initial;
        return answer;
    }
    QDate shownWith;
    std::optional<QDate> answer;
};

} // namespace

class TestDateRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void datumAll_data();
    void datumAll();
    void shorthandThroughField_data();
    void shorthandThroughField();
    void datumM1_data();
    void datumM1();
    void kDatum();
    void recordPositions();
};

void TestDateRules::datumAll_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expanded");
    QTest::newRow("+0 today") << u"+0"_s << u"7.12.2026"_s;
    QTest::newRow("-1 yesterday") << u"-1"_s << u"6.12.2026"_s;
    QTest::newRow("+x today") << u"+x"_s << u"7.12.2026"_s;
    QTest::newRow("- alone today") << u"-"_s << u"7.12.2026"_s;
    QTest::newRow("+30 next year") << u"+30"_s << u"6.1.2027"_s;
    QTest::newRow("slashes") << u"1/2/2015"_s << u"1.2.2015"_s;
    QTest::newRow("commas") << u"1,2,2015"_s << u"1.2.2015"_s;
    QTest::newRow("eight digits") << u"01022015"_s << u"01.02.2015"_s;
    QTest::newRow("six digits") << u"010215"_s << u"01.02.15"_s;
    QTest::newRow("day and month") << u"1.2."_s << u"1.2.2026"_s;
    QTest::newRow("two-digit day and month") << u"11.12."_s << u"11.12.2026"_s;
    QTest::newRow("day with dot") << u"15."_s << u"15.12.2026"_s;
    QTest::newRow("one-digit day with dot") << u"5."_s << u"5.12.2026"_s;
    QTest::newRow("day") << u"15"_s << u"15.12.2026"_s;
    QTest::newRow("one-digit day") << u"5"_s << u"5.12.2026"_s;
    QTest::newRow("three digits untouched") << u"123"_s << u"123"_s;
    QTest::newRow("full date untouched") << u"1.2.2015"_s << u"1.2.2015"_s;
    QTest::newRow("empty") << u""_s << u""_s;
}

void TestDateRules::datumAll()
{
    QFETCH(QString, typed);
    QFETCH(QString, expanded);
    QCOMPARE(data::DatumAll(typed, Today), expanded);
}

void TestDateRules::shorthandThroughField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("stored");
    QTest::addColumn<QString>("error");
    QTest::newRow("+0") << u"+0"_s << Today << QString();
    QTest::newRow("slashes") << u"1/2/2015"_s << QDate(2015, 2, 1) << QString();
    QTest::newRow("eight digits") << u"01022015"_s << QDate(2015, 2, 1) << QString();
    QTest::newRow("six digits") << u"010215"_s << QDate(2015, 2, 1) << QString();
    QTest::newRow("day") << u"15"_s << QDate(2026, 12, 15) << QString();
    QTest::newRow("empty clears") << u""_s << QDate() << QString();
    QTest::newRow("no such day") << u"32"_s << QDate(2000, 1, 1) << u"'32.12.2026' není platný datum"_s;
    QTest::newRow("no such month") << u"1.13."_s << QDate(2000, 1, 1) << u"'1.13.2026' není platný datum"_s;
}

void TestDateRules::shorthandThroughField()
{
    QFETCH(QString, typed);
    QFETCH(QDate, stored);
    QFETCH(QString, error);

    data::MemoryStore store(paradox::Schema{{paradox::field(u"Dz"_s, paradox::FieldType::Date)}, 0});
    data::Dataset prp(u"Prp"_s, &store);
    data::DateField *dz = prp.addDateField(u"Dz"_s);
    data::attachDateShorthand({dz});
    prp.setToday([] { return Today; });
    prp.setOneRecord(true);
    prp.open();
    prp.edit();
    dz->setAsDate(QDate(2000, 1, 1));
    try {
        dz->setText(typed);
        QVERIFY(error.isEmpty());
    } catch (const data::DatabaseError &e) {
        QCOMPARE(e.message(), error);
        QVERIFY(prp.isEditing());
    }
    QCOMPARE(dz->asDate(), stored);
}

void TestDateRules::datumM1_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("shifted");
    QTest::newRow("leap day a year on") << QDate(2016, 2, 29) << 12 << QDate(2017, 2, 28);
    QTest::newRow("leap day in 2000") << QDate(2000, 2, 29) << 12 << QDate(2001, 2, 28);
    QTest::newRow("same day a year on") << QDate(2015, 12, 31) << 12 << QDate(2016, 12, 31);
    QTest::newRow("end of January") << QDate(2015, 1, 31) << 1 << QDate(2015, 2, 28);
    QTest::newRow("end of January, leap") << QDate(2016, 1, 31) << 1 << QDate(2016, 2, 29);
    QTest::newRow("1900 not leap") << QDate(1900, 1, 31) << 1 << QDate(1900, 2, 28);
    QTest::newRow("over the year") << QDate(2015, 11, 15) << 2 << QDate(2016, 1, 15);
    QTest::newRow("to a 30-day month") << QDate(2015, 8, 31) << 1 << QDate(2015, 9, 30);
    QTest::newRow("zero") << QDate(2015, 5, 31) << 0 << QDate(2015, 5, 31);
}

void TestDateRules::datumM1()
{
    QFETCH(QDate, date);
    QFETCH(int, months);
    QFETCH(QDate, shifted);
    QCOMPARE(data::DatumM1(date, months), shifted);
}

void TestDateRules::kDatum()
{
    data::MemoryStore store(paradox::Schema{{paradox::field(u"Dv"_s, paradox::FieldType::Date)}, 0});
    data::Dataset prp(u"Prp"_s, &store);
    data::DateField *dv = prp.addDateField(u"Dv"_s);
    prp.setToday([] { return Today; });
    prp.setOneRecord(true);
    prp.open();

    FakePicker picker;
    // Cancelled on an empty field: opened on today, nothing changes.
    QVERIFY(!data::KDatum(picker, prp, *dv));
    QCOMPARE(picker.shownWith, Today);
    QCOMPARE(prp.state(), data::DatasetState::Browse);
    QVERIFY(dv->isNull());

    picker.answer = QDate(2015, 3, 4);
    QVERIFY(data::KDatum(picker, prp, *dv));
    QCOMPARE(prp.state(), data::DatasetState::Edit);
    QCOMPARE(dv->asDate(), QDate(2015, 3, 4));

    // A filled field opens the calendar on its own date.
    picker.answer.reset();
    data::KDatum(picker, prp, *dv);
    QCOMPARE(picker.shownWith, QDate(2015, 3, 4));
}

void TestDateRules::recordPositions()
{
    using statustest::at;
    data::MemoryStore store(paradox::Schema{{paradox::field(u"ID"_s, paradox::FieldType::Autoinc)}, 1});
    data::Dataset vpz(u"Vpz"_s, &store);
    vpz.createFields(store.schema());
    vpz.open();
    const auto position = [&] { return data::RecordPosition::of(vpz, vpz.recordCount()); };

    QCOMPARE(position(), at(0, 0));
    for (int i = 0; i < 12; ++i) {
        vpz.append();
        QCOMPARE(position(), statustest::newRecord());
        vpz.post();
    }
    vpz.setRecNo(3);
    QCOMPARE(position(), at(3, 12));
}

QTEST_GUILESS_MAIN(TestDateRules)
#include "test_daterules.moc"
