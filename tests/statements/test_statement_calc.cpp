#include "data/DataError.h"
#include "data/DatasetDefs.h"
#include "data/FieldText.h"
#include "data/TableDefs.h"
#include "statements/TableLayouts.h"
#include "statements/VdvlCalc.h"
#include "statements/VdvsCalc.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A statement table in memory with the rules of its definition.
struct Statement
{
    explicit Statement(data::TableId id)
        : store(data::tableDef(id).schema()), dataset(data::tableDef(id).name(), &store),
          binding(dataset, data::tableDef(id))
    {
        dataset.open();
    }

    data::Field *operator[](const QString &name) const { return dataset.fieldByName(name); }
    void set(const QString &name, double value) { dataset.fieldByName(name)->setAsFloat(value); }
    QVariant value(const QString &name) const { return dataset.fieldByName(name)->value(); }

    data::MemoryStore store;
    data::Dataset dataset;
    data::DatasetBinding binding;
};

} // namespace

// The derived lines of both statements: the editor's steps one by one and in
// the order of its exit rules, the whole-statement recalculations, rounding
// at the post, and a result out of range stopping the steps after it.
class TestStatementCalc : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void employmentWorkedExample();
    void emptyEmploymentStatementStoresZeros();
    void exitRuleRunsItsSteps_data();
    void exitRuleRunsItsSteps();
    void fractionalInputsRoundedSeparately();
    void resultOutOfRangeStopsLaterSteps();
    void withholdingWorkedExample();
    void withholdingExitRules();
    void layoutsNameTheirTablesFields_data();
    void layoutsNameTheirTablesFields();
};

void TestStatementCalc::employmentWorkedExample()
{
    Statement vdvl(data::TableId::Vdvl);
    vdvl.dataset.edit();
    vdvl.set(u"Sl21"_s, 10000);
    vdvl.set(u"Slo31"_s, 500);
    vdvl.set(u"Sl51"_s, 1200);
    vdvl.set(u"Slb51"_s, 300);
    vdvl.set(u"C404"_s, 200);
    vdvl.set(u"C404a"_s, 100);
    vdvl.set(u"Sl91"_s, 9000);
    vdvl.set(u"C410"_s, 12345); // typed by the user, overwritten

    statements::VdvlCalc(vdvl.dataset).VypocetVdvl1();
    QCOMPARE(vdvl.dataset.state(), data::DatasetState::Browse);
    QCOMPARE(vdvl.value(u"Sla51"_s), QVariant(8000.0));
    QCOMPARE(vdvl.value(u"Sl81"_s), QVariant(1500.0));
    QCOMPARE(vdvl.value(u"C401"_s), QVariant(10000.0));
    QCOMPARE(vdvl.value(u"C403"_s), QVariant(1200.0));
    QCOMPARE(vdvl.value(u"C403a"_s), QVariant(300.0));
    QCOMPARE(vdvl.value(u"C408"_s), QVariant(8800.0));
    QCOMPARE(vdvl.value(u"C409"_s), QVariant(9000.0));
    QCOMPARE(vdvl.value(u"C410"_s), QVariant(200.0));
    // The recalculation never copies sl. 1 into sl. 2.
    QCOMPARE(vdvl.value(u"Sl31"_s), QVariant(0.0));
}

void TestStatementCalc::emptyEmploymentStatementStoresZeros()
{
    Statement vdvl(data::TableId::Vdvl);
    statements::VdvlCalc(vdvl.dataset).VypocetVdvl1();
    for (int m = 1; m <= 12; ++m)
        QCOMPARE(vdvl.value(u"Sla5"_s + QString::number(m)), QVariant(0.0));
    for (const char16_t *name : {u"C401", u"C403", u"C403a", u"C408", u"C409", u"C410", u"Sl213"})
        QCOMPARE(vdvl.value(QString::fromUtf16(name)), QVariant(0.0));
    QVERIFY(vdvl[u"Vc1"_s]->isNull());
}

void TestStatementCalc::exitRuleRunsItsSteps_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<double>("typed");
    QTest::addColumn<QStringList>("changed"); // "Field=value" after the rule

    // Starting record: March with sl. 1 12000, sl. 3 200, sl. 4 300, sl. 5 100,
    // sl. 11 11000; ř. 3 50 and ř. 5 20; every derived line typed as 1.
    QTest::newRow("sl. 1 of March") << u"Sl23"_s << 12500.0
                                    << QStringList{u"Sl33=12500"_s, u"Sla53=11900"_s, u"C401=12500"_s,
                                                   u"C403=1"_s,     u"C408=12568"_s,  u"C410=-12567"_s,
                                                   u"C409=1"_s};
    QTest::newRow("sl. 1 cleared") << u"Sl23"_s << 0.0
                                   << QStringList{u"Sl33=0"_s, u"Sla53=-600"_s, u"C401=0"_s, u"C408=68"_s};
    QTest::newRow("decision amount") << u"Slo33"_s << 700.0
                                     << QStringList{u"Sla53=10900"_s, u"C401=1"_s, u"C408=1"_s, u"Sl33=1"_s};
    QTest::newRow("refunded overpayment")
        << u"Sl53"_s << 400.0 << QStringList{u"Sla53=11300"_s, u"C403=400"_s, u"C408=-330"_s, u"C410=331"_s};
    QTest::newRow("bonus") << u"Slb53"_s << 150.0
                           << QStringList{u"Sla53=11350"_s, u"C403a=150"_s, u"C408=-80"_s, u"C410=81"_s,
                                          u"C401=1"_s};
    QTest::newRow("remitted") << u"Sl93"_s << 11500.0
                              << QStringList{u"C409=11500"_s, u"C410=11499"_s, u"C408=1"_s, u"Sla53=1"_s};
    QTest::newRow("part II row 3") << u"C404"_s << 80.0 << QStringList{u"C408=99"_s, u"C410=-98"_s};
    QTest::newRow("part II row 8") << u"C408"_s << 40.0 << QStringList{u"C410=-39"_s, u"C401=1"_s};
    QTest::newRow("sl. 2 has no rule") << u"Sl33"_s << 5.0 << QStringList{u"Sla53=1"_s, u"C410=1"_s};
    QTest::newRow("total has no rule") << u"Sl213"_s << 5.0 << QStringList{u"C401=1"_s};
}

void TestStatementCalc::exitRuleRunsItsSteps()
{
    QFETCH(QString, box);
    QFETCH(double, typed);
    QFETCH(QStringList, changed);

    Statement vdvl(data::TableId::Vdvl);
    vdvl.dataset.edit();
    vdvl.set(u"Sl23"_s, 12000);
    vdvl.set(u"Slo33"_s, 200);
    vdvl.set(u"Sl53"_s, 300);
    vdvl.set(u"Slb53"_s, 100);
    vdvl.set(u"Sl93"_s, 11000);
    vdvl.set(u"C404"_s, 50);
    vdvl.set(u"C404a"_s, 20);
    for (const char16_t *name : {u"Sl33", u"Sla53", u"C401", u"C403", u"C403a", u"C408", u"C409", u"C410"})
        vdvl.set(QString::fromUtf16(name), 1);
    vdvl.dataset.post();

    // The box writes its value (putting the record into edit mode), then
    // its rule runs.
    vdvl.dataset.edit();
    if (!vdvl[box]->isCalculated())
        vdvl.set(box, typed);
    const bool hasRule = statements::VdvlCalc(vdvl.dataset).runExitRule(box);
    QCOMPARE(hasRule, box != u"Sl33" && box != u"Sl213");
    for (const QString &expected : std::as_const(changed)) {
        const QStringList parts = expected.split(u'=');
        QCOMPARE(vdvl[parts[0]]->asFloat(), parts[1].toDouble());
    }
    // Nothing is posted by the steps.
    QCOMPARE(vdvl.dataset.state(), data::DatasetState::Edit);
}

void TestStatementCalc::fractionalInputsRoundedSeparately()
{
    Statement vdvl(data::TableId::Vdvl);
    vdvl.dataset.edit();
    vdvl[u"Sl21"_s]->setText(u"100,6"_s);
    vdvl[u"Sl51"_s]->setText(u"0,4"_s);
    statements::VdvlCalc calc(vdvl.dataset);
    calc.runExitRule(u"Sl21"_s);
    // Until the post the formulas see the typed fractions.
    QCOMPARE(vdvl[u"Sla51"_s]->asFloat(), 100.6 - 0.4);
    QCOMPARE(vdvl[u"C401"_s]->asFloat(), 100.6);

    vdvl.dataset.post();
    // Each stored amount is rounded on its own: 100.2 gives 100, although the
    // rounded inputs 101 and 0 would give 101.
    QCOMPARE(vdvl.value(u"Sl21"_s), QVariant(101.0));
    QCOMPARE(vdvl.value(u"Sl31"_s), QVariant(101.0));
    QCOMPARE(vdvl.value(u"Sl51"_s), QVariant(0.0));
    QCOMPARE(vdvl.value(u"Sla51"_s), QVariant(100.0));
    QCOMPARE(vdvl.value(u"C401"_s), QVariant(101.0));
    // The totals follow the rounded amounts.
    QCOMPARE(vdvl.value(u"Sl213"_s), QVariant(101.0));
    QCOMPARE(vdvl.value(u"Sla513"_s), QVariant(100.0));
}

void TestStatementCalc::resultOutOfRangeStopsLaterSteps()
{
    Statement vdvl(data::TableId::Vdvl);
    vdvl.dataset.edit();
    for (int m = 1; m <= 12; ++m)
        vdvl.set(u"Sl2"_s + QString::number(m), 9e9);
    vdvl.set(u"Sl91"_s, 10);
    try {
        statements::VdvlCalc(vdvl.dataset).VypocetVdvl1();
        QFAIL("a total beyond the range was stored");
    } catch (const data::DatabaseError &e) {
        QCOMPARE(
            e.message(),
            u"108000000000 není platná hodnota pro pole 'C401'. Povolený rozsah je od -9999999999 do 9999999999"_s);
    }
    // The months before the failing step are assigned, the steps after it
    // did not run, and nothing was posted.
    QCOMPARE(vdvl.dataset.state(), data::DatasetState::Edit);
    QCOMPARE(vdvl[u"Sla512"_s]->asFloat(), 9e9);
    QVERIFY(vdvl[u"C401"_s]->isNull());
    QVERIFY(vdvl[u"C409"_s]->isNull());
    QVERIFY(vdvl.store.records().first().at(vdvl[u"Sla51"_s]->index()).isNull());
}

void TestStatementCalc::withholdingWorkedExample()
{
    Statement vdvs(data::TableId::Vdvs);
    vdvs.dataset.edit();
    vdvs.set(u"Sl11"_s, 5000);
    vdvs.set(u"Slo71"_s, 1200);
    vdvs.set(u"Sl101"_s, 5200);
    vdvs.set(u"Slo72"_s, 10.5);
    statements::VdvsCalc(vdvs.dataset).VypocetVdvs1();
    QCOMPARE(vdvs.value(u"Sld91"_s), QVariant(3800.0));
    QCOMPARE(vdvs.value(u"Sld92"_s), QVariant(-11.0)); // -10.5 rounded away from zero
    QCOMPARE(vdvs.value(u"Sld912"_s), QVariant(0.0));
    QCOMPARE(vdvs.value(u"C401a"_s), QVariant(5000.0));
    QCOMPARE(vdvs.value(u"C402"_s), QVariant(5200.0));
    QCOMPARE(vdvs.value(u"C403"_s), QVariant(200.0));
    QVERIFY(vdvs[u"Sl21"_s]->asFloat() == 0); // sl. 2 is left alone
}

void TestStatementCalc::withholdingExitRules()
{
    Statement vdvs(data::TableId::Vdvs);
    vdvs.dataset.edit();
    vdvs.set(u"Sl112"_s, 700);
    vdvs.set(u"Slo712"_s, 50);
    statements::VdvsCalc calc(vdvs.dataset);
    QVERIFY(calc.runExitRule(u"Sl112"_s));
    QCOMPARE(vdvs[u"Sl212"_s]->asFloat(), 700.0);
    QCOMPARE(vdvs[u"Sld912"_s]->asFloat(), 650.0);

    // Clearing sl. 1 stores 0 in sl. 2 and leaves -sl. 7 in sl. 8a.
    vdvs[u"Sl112"_s]->clear();
    QVERIFY(calc.runExitRule(u"Sl112"_s));
    QCOMPARE(vdvs.value(u"Sl212"_s), QVariant(0.0));
    QCOMPARE(vdvs[u"Sld912"_s]->asFloat(), -50.0);

    vdvs.set(u"Slo712"_s, 80);
    QVERIFY(calc.runExitRule(u"Slo712"_s));
    QCOMPARE(vdvs[u"Sld912"_s]->asFloat(), -80.0);

    // Sl10m is column 10, not sl. 1 of month 10 and beyond; the total has no rule.
    vdvs.set(u"Sl1010"_s, 5);
    QVERIFY(!calc.runExitRule(u"Sl1010"_s));
    QVERIFY(!calc.runExitRule(u"Sl113"_s));
    QCOMPARE(vdvs[u"Sl210"_s]->asFloat(), 0.0);
}

void TestStatementCalc::layoutsNameTheirTablesFields_data()
{
    QTest::addColumn<QString>("table");
    for (const char16_t *table : {u"Vdvl", u"Vdvs", u"Vpkv", u"Vpkb", u"Prp", u"Vpz", u"Dmt"})
        QTest::newRow(QString::fromUtf16(table).toLatin1().constData()) << QString::fromUtf16(table);
}

// Every box, check box, list, caption link and page seam of a window's
// layout names a field of its table: a misspelling fails here, not when a
// user opens the page.
void TestStatementCalc::layoutsNameTheirTablesFields()
{
    QFETCH(QString, table);
    const statements::FormLayout layout = statements::layoutOf(table);
    const data::TableDef *def = data::findTableDef(layout.table);
    QVERIFY(def);
    const auto known = [def](const QString &field) {
        return def->indexOf(field) >= 0 || def->calculatedIndexOf(field) >= 0;
    };
    int inputs = 0;
    for (const statements::FormPage &page : layout.pages) {
        for (const statements::FormCell &cell : page.cells) {
            if (cell.isInput()) {
                ++inputs;
                QVERIFY2(known(cell.text), qPrintable(cell.text));
            }
            if (!cell.link.isEmpty())
                QVERIFY2(known(cell.link), qPrintable(cell.link));
        }
    }
    QVERIFY(inputs > 0);
    for (const statements::FormSeam &seam : layout.seams) {
        for (const QString &field : {seam.box, seam.enter, seam.shiftEnter})
            QVERIFY2(field.isEmpty() || field == statements::FormSeam::CloseButton || known(field),
                     qPrintable(field));
    }
}

QTEST_GUILESS_MAIN(TestStatementCalc)
#include "test_statement_calc.moc"
