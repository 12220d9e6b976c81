#include "data/DataError.h"
#include "data/Dataset.h"
#include "data/FieldText.h"
#include "data/Rounding.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using data::DatabaseError;
using paradox::FieldType;

namespace {

// One record with a field of each kind, configured as the statement tables
// configure theirs.
struct Record
{
    Record()
        : store(paradox::Schema{{paradox::field(u"Sl21"_s, FieldType::Number),
                                 paradox::field(u"Kop"_s, FieldType::Short),
                                 paradox::field(u"Z1"_s, FieldType::Long), paradox::alpha(u"Tel"_s, 5),
                                 paradox::field(u"Dpdr1"_s, FieldType::Logical),
                                 paradox::field(u"Pk"_s, FieldType::Logical),
                                 paradox::field(u"Dv"_s, FieldType::Date)},
                                0},
                {QVariantList(7)}),
          table(u"T"_s, &store)
    {
        table.createFields(store.schema());
        amount = table.fieldAs<data::FloatField>(u"Sl21"_s);
        amount->setRange(-9999999999.0, 9999999999.0);
        amount->setDisplayFormat(u"0"_s);
        copies = table.fieldAs<data::IntegerField>(u"Kop"_s);
        copies->setRange(1, 999);
        count = table.fieldAs<data::IntegerField>(u"Z1"_s);
        count->setRange(-999999, 999999);
        phone = table.fieldAs<data::StringField>(u"Tel"_s);
        cross = table.fieldAs<data::BooleanField>(u"Dpdr1"_s);
        cross->setDisplayValues(u"X;"_s);
        logical = table.fieldAs<data::BooleanField>(u"Pk"_s);
        date = table.fieldAs<data::DateField>(u"Dv"_s);
        table.setToday([] { return QDate(2026, 12, 7); });
        table.open();
        table.edit();
    }

    data::MemoryStore store;
    data::Dataset table;
    data::FloatField *amount;
    data::IntegerField *copies;
    data::IntegerField *count;
    data::StringField *phone;
    data::BooleanField *cross;
    data::BooleanField *logical;
    data::DateField *date;
};

} // namespace

class TestFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setText_data();
    void setText();
    void refusedTextKeepsValue();
    void formatGeneral_data();
    void formatGeneral();
    void displayText_data();
    void displayText();
    void roundHalfAway_data();
    void roundHalfAway();
    void hooks();
    void assignmentNeedsEditState();
};

void TestFields::setText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("editText");

    const QString range =
        u" není platná hodnota pro pole 'Sl21'. Povolený rozsah je od -9999999999 do 9999999999"_s;
    QTest::newRow("amount comma") << u"Sl21"_s << u"12,5"_s << QString() << u"12,5"_s;
    QTest::newRow("amount point") << u"Sl21"_s << u"12.5"_s << QString() << u"12,5"_s;
    QTest::newRow("amount blanks") << u"Sl21"_s << u" -100 "_s << QString() << u"-100"_s;
    QTest::newRow("amount empty clears") << u"Sl21"_s << u""_s << QString() << QString();
    QTest::newRow("amount upper bound") << u"Sl21"_s << u"9999999999"_s << QString() << u"9999999999"_s;
    QTest::newRow("amount lower bound") << u"Sl21"_s << u"-9999999999"_s << QString() << u"-9999999999"_s;
    QTest::newRow("amount above") << u"Sl21"_s << u"10000000000"_s << (u"10000000000"_s + range) << u"7"_s;
    QTest::newRow("amount below") << u"Sl21"_s << u"-10000000000"_s << (u"-10000000000"_s + range) << u"7"_s;
    QTest::newRow("amount half above")
        << u"Sl21"_s << u"9999999999,5"_s << (u"9999999999,5"_s + range) << u"7"_s;
    QTest::newRow("amount huge") << u"Sl21"_s << u"1e20"_s << (u"1E20"_s + range) << u"7"_s;
    QTest::newRow("amount letters") << u"Sl21"_s << u"12a"_s
                                    << u"'12a' není platné reálné číslo pro pole 'Sl21'"_s << u"7"_s;
    QTest::newRow("amount two separators")
        << u"Sl21"_s << u"1,2,3"_s << u"'1,2,3' není platné reálné číslo pro pole 'Sl21'"_s << u"7"_s;
    QTest::newRow("amount grouped by spaces") << u"Sl21"_s << u"41 350"_s << QString() << u"41350"_s;
    QTest::newRow("amount grouped, no-break spaces, decimals")
        << u"Sl21"_s << u"-1\u00A0234\u00A0567,5"_s << QString() << u"-1234567,5"_s;
    QTest::newRow("amount narrow no-break space") << u"Sl21"_s << u"12\u202F000"_s << QString() << u"12000"_s;
    QTest::newRow("amount group of two")
        << u"Sl21"_s << u"41 35"_s << u"'41 35' není platné reálné číslo pro pole 'Sl21'"_s << u"7"_s;
    QTest::newRow("amount leading group of four")
        << u"Sl21"_s << u"4135 000"_s << u"'4135 000' není platné reálné číslo pro pole 'Sl21'"_s << u"7"_s;
    QTest::newRow("amount two spaces")
        << u"Sl21"_s << u"41  350"_s << u"'41  350' není platné reálné číslo pro pole 'Sl21'"_s << u"7"_s;
    QTest::newRow("amount inf") << u"Sl21"_s << u"inf"_s
                                << u"'inf' není platné reálné číslo pro pole 'Sl21'"_s << u"7"_s;

    QTest::newRow("short in range") << u"Kop"_s << u"999"_s << QString() << u"999"_s;
    QTest::newRow("short below range")
        << u"Kop"_s << u"0"_s << u"0 není platná hodnota pro pole 'Kop'. Povolený rozsah je od 1 do 999"_s
        << u"7"_s;
    QTest::newRow("short above range")
        << u"Kop"_s << u"1000"_s
        << u"1000 není platná hodnota pro pole 'Kop'. Povolený rozsah je od 1 do 999"_s << u"7"_s;
    QTest::newRow("short fraction") << u"Kop"_s << u"1,5"_s
                                    << u"'1,5' není platné celé číslo pro pole 'Kop'"_s << u"7"_s;
    QTest::newRow("short letters") << u"Kop"_s << u"x"_s << u"'x' není platné celé číslo pro pole 'Kop'"_s
                                   << u"7"_s;
    QTest::newRow("long beyond 32 bits")
        << u"Z1"_s << u"99999999999"_s << u"'99999999999' není platné celé číslo pro pole 'Z1'"_s << u"7"_s;
    QTest::newRow("long grouped") << u"Z1"_s << u"-999 999"_s << QString() << u"-999999"_s;
    QTest::newRow("long lower bound") << u"Z1"_s << u"-999999"_s << QString() << u"-999999"_s;

    QTest::newRow("date full") << u"Dv"_s << u"31.12.2015"_s << QString() << u"31.12.2015"_s;
    QTest::newRow("date short year") << u"Dv"_s << u"1.2.15"_s << QString() << u"01.02.2015"_s;
    QTest::newRow("date without year") << u"Dv"_s << u"1.2"_s << QString() << u"01.02.2026"_s;
    QTest::newRow("date bad day") << u"Dv"_s << u"32.1.2015"_s << u"'32.1.2015' není platný datum"_s
                                  << u"07.07.2007"_s;
    QTest::newRow("date 29 Feb non-leap")
        << u"Dv"_s << u"29.2.2015"_s << u"'29.2.2015' není platný datum"_s << u"07.07.2007"_s;
    QTest::newRow("date letters") << u"Dv"_s << u"abc"_s << u"'abc' není platný datum"_s << u"07.07.2007"_s;

    QTest::newRow("text cut to size") << u"Tel"_s << u"123456789"_s << QString() << u"12345"_s;
    QTest::newRow("cross X") << u"Dpdr1"_s << u"x"_s << QString() << u"X"_s;
    QTest::newRow("cross blank is false") << u"Dpdr1"_s << u""_s << QString() << QString();
    QTest::newRow("cross other") << u"Dpdr1"_s << u"A"_s
                                 << u"'A' není platná logická hodnota pro pole 'Dpdr1'"_s << u"X"_s;
    QTest::newRow("logical prefix") << u"Pk"_s << u"n"_s << QString() << u"Ne"_s;
}

void TestFields::setText()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, error);
    QFETCH(QString, editText);

    Record r;
    // A previous value, so that a refusal can be seen to keep it.
    r.amount->setAsFloat(7);
    r.copies->setAsInteger(7);
    r.count->setAsInteger(7);
    r.date->setAsDate(QDate(2007, 7, 7));
    r.cross->setAsBoolean(true);
    data::Field *f = r.table.fieldByName(field);
    try {
        f->setText(text);
        QVERIFY2(error.isEmpty(), "the text was accepted");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.message(), error);
        QCOMPARE(e.kind(), DatabaseError::Kind::InvalidValue);
    }
    QCOMPARE(f->editText(), editText);
}

void TestFields::refusedTextKeepsValue()
{
    // A refused value must neither mark the record changed nor reach listeners.
    Record r;
    int changes = 0;
    r.amount->onChange = [&changes](data::Field &) { ++changes; };
    QVERIFY(!r.table.isModified());
    QVERIFY_THROWS_EXCEPTION(DatabaseError, r.amount->setText(u"x"_s));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, r.amount->setAsFloat(1e11));
    QVERIFY(r.amount->isNull());
    QVERIFY(!r.table.isModified());
    QCOMPARE(changes, 0);
}

void TestFields::formatGeneral_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("max amount") << 9999999999.0 << u"9999999999"_s;
    QTest::newRow("min amount") << -9999999999.0 << u"-9999999999"_s;
    QTest::newRow("one beyond") << 10000000000.0 << u"10000000000"_s;
    QTest::newRow("fraction") << 1.5 << u"1,5"_s;
    QTest::newRow("below one") << 0.25 << u"0,25"_s;
    QTest::newRow("binary noise") << 0.1 + 0.2 << u"0,3"_s;
    QTest::newRow("15 digits") << 123456789012345.0 << u"123456789012345"_s;
    QTest::newRow("16 digits") << 1234567890123456.0 << u"1,23456789012346E15"_s;
    QTest::newRow("rounded to 15") << 1.23456789012345678 << u"1,23456789012346"_s;
    QTest::newRow("huge") << 1e20 << u"1E20"_s;
    QTest::newRow("small fixed") << 0.00001 << u"0,00001"_s;
    QTest::newRow("small exponent") << -0.000001 << u"-1E-6"_s;
    QTest::newRow("zero") << 0.0 << u"0"_s;
}

void TestFields::formatGeneral()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(data::formatGeneral(value), text);
}

void TestFields::displayText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("edit");
    QTest::newRow("amount half up") << u"Sl21"_s << QVariant(12.5) << u"13"_s << u"12,5"_s;
    QTest::newRow("amount negative half") << u"Sl21"_s << QVariant(-0.5) << u"-1"_s << u"-0,5"_s;
    QTest::newRow("amount no minus zero") << u"Sl21"_s << QVariant(-0.4) << u"0"_s << u"-0,4"_s;
    QTest::newRow("amount fraction") << u"Sl21"_s << QVariant(100.4) << u"100"_s << u"100,4"_s;
    QTest::newRow("amount empty") << u"Sl21"_s << QVariant() << QString() << QString();
    QTest::newRow("cross true") << u"Dpdr1"_s << QVariant(true) << u"X"_s << u"X"_s;
    QTest::newRow("cross false") << u"Dpdr1"_s << QVariant(false) << QString() << QString();
    QTest::newRow("cross empty") << u"Dpdr1"_s << QVariant() << QString() << QString();
    QTest::newRow("logical") << u"Pk"_s << QVariant(true) << u"Ano"_s << u"Ano"_s;
    QTest::newRow("date") << u"Dv"_s << QVariant(QDate(2015, 2, 1)) << u"01.02.2015"_s << u"01.02.2015"_s;
    QTest::newRow("short") << u"Kop"_s << QVariant(12) << u"12"_s << u"12"_s;
}

void TestFields::displayText()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, display);
    QFETCH(QString, edit);
    Record r;
    data::Field *f = r.table.fieldByName(field);
    f->setValue(value);
    QCOMPARE(f->isNull(), !value.isValid());
    QCOMPARE(f->displayText(), display);
    QCOMPARE(f->editText(), edit);
}

void TestFields::roundHalfAway_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("0.5") << 0.5 << 1.0;
    QTest::newRow("-0.5") << -0.5 << -1.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 3.0;
    QTest::newRow("-2.5") << -2.5 << -3.0;
    QTest::newRow("12.5") << 12.5 << 13.0;
    QTest::newRow("10.49") << 10.49 << 10.0;
    QTest::newRow("-10.51") << -10.51 << -11.0;
    QTest::newRow("sum a hair below half") << 0.57 - 0.07 << 1.0;
    QTest::newRow("large half") << 9999999998.5 << 9999999999.0;
    QTest::newRow("whole") << 42.0 << 42.0;
}

void TestFields::roundHalfAway()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(data::roundHalfAway(value), rounded);
}

void TestFields::hooks()
{
    Record r;
    QStringList log;
    r.phone->onSetText = [&log](data::Field &f, const QString &text) {
        log << u"set:"_s + text;
        f.setAsString(text.toUpper());
    };
    r.phone->onGetText = [](const data::Field &f, bool display) {
        return display ? u"<"_s + f.asString() + u">"_s : f.asString();
    };
    r.phone->onValidate = [&log](data::Field &, const QVariant &value) {
        log << u"validate:"_s + value.toString();
        if (value.toString() == u"BAD"_s)
            throw DatabaseError(DatabaseError::Kind::InvalidValue, u"špatně"_s);
    };
    r.phone->onChange = [&log](data::Field &f) { log << u"change:"_s + f.asString(); };

    r.phone->setText(u"ab"_s);
    QCOMPARE(r.phone->displayText(), u"<AB>"_s);
    QCOMPARE(r.phone->editText(), u"AB"_s);
    QVERIFY_THROWS_EXCEPTION(DatabaseError, r.phone->setText(u"bad"_s));
    QCOMPARE(r.phone->asString(), u"AB"_s);
    QCOMPARE(log,
             (QStringList{u"set:ab"_s, u"validate:AB"_s, u"change:AB"_s, u"set:bad"_s, u"validate:BAD"_s}));
}

void TestFields::assignmentNeedsEditState()
{
    Record r;
    r.table.post();
    try {
        r.amount->setAsFloat(1);
        QFAIL("assignment in browse state accepted");
    } catch (const DatabaseError &e) {
        QCOMPARE(e.kind(), DatabaseError::Kind::State);
    }
    r.table.edit();
    r.amount->setReadOnly(true);
    QVERIFY_THROWS_EXCEPTION(DatabaseError, r.amount->setAsFloat(1));
}

QTEST_GUILESS_MAIN(TestFields)
#include "test_fields.moc"
