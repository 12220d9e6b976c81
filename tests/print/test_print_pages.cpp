// The form pages filled from a settlement: character boxes, dates, number
// labels of a supplementary statement, option pairs, the signatory code,
// data-bound texts and the margins.
#include "demo_settlement.h"
#include "print/FormPages.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPrintPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyPageProducesOneSheet();
    void longCompanyNameFillsTheBoxes();
    void taxNumberBoxes_data();
    void taxNumberBoxes();
    void dateBoxes_data();
    void dateBoxes();
    void supplementaryStatementHidesSummaryAmounts();
    void signatoryCodeInReadingOrder_data();
    void signatoryCodeInReadingOrder();
    void optionPairsStrikeWhatDoesNotApply();
    void boundTextsShowDisplayText();
    void marginsFromPrintSettings();
    void centralEuropeanFontsAfterTheSwitch();

private:
    void setPrp(const QString &field, const QVariant &value);
    QString boxes(int page, const QString &group, int count);

    std::unique_ptr<printtest::Demo> m_demo;
    data::TDM1 *m_dm = nullptr;
    print::FormPages *m_pages = nullptr;
};

void TestPrintPages::initTestCase()
{
    m_demo = std::make_unique<printtest::Demo>();
    m_dm = &m_demo->dm;
    m_pages = m_demo->pages.get();
}

void TestPrintPages::cleanupTestCase()
{
    m_demo.reset();
}

void TestPrintPages::setPrp(const QString &field, const QVariant &value)
{
    m_dm->Prp().edit();
    printtest::set(*m_dm, u"Prp"_s + field, value);
    m_dm->Prp().post();
}

// The characters of a box group, "." for an empty box.
QString TestPrintPages::boxes(int page, const QString &group, int count)
{
    const QList<print::PreparedPage> sheets = m_pages->produce(page);
    QString result;
    for (int i = 1; i <= count; ++i) {
        const print::Element *e = sheets[0].find(u"QRLabel"_s + group + QString::number(i));
        if (!e)
            return u"(no box %1)"_s.arg(i);
        result += e->text.isEmpty() ? u"."_s : e->text;
    }
    if (sheets[0].find(u"QRLabel"_s + group + QString::number(count + 1)))
        result += u"(more boxes)"_s;
    return result;
}

void TestPrintPages::everyPageProducesOneSheet()
{
    for (int page : {1, 2, 3, 4, 9, 10, 12, 13, 15, 16, 17, 18}) {
        const QList<print::PreparedPage> sheets = m_pages->produce(page);
        QCOMPARE(sheets.size(), 1);
        QVERIFY(sheets[0].items.size() > 50);
    }
}

// A name longer than the boxes: the field keeps 35 characters, the boxes
// show them one by one.
void TestPrintPages::longCompanyNameFillsTheBoxes()
{
    const QString name = u"Stavební společnost Novák a synové s.r.o."_s; // 41 characters
    setPrp(u"Ojv"_s, name);
    QCOMPARE(boxes(1, u"Ojv"_s, 35), QString(name.left(35)).replace(u' ', u'.'));
    setPrp(u"Ojs"_s, name);
    QCOMPARE(boxes(15, u"Ojs"_s, 35), QString(name.left(35)).replace(u' ', u'.'));
    setPrp(u"Mi"_s, u"Brno"_s);
    QCOMPARE(boxes(1, u"Adr"_s, 35), u"Brno"_s + QString(31, u'.'));
}

void TestPrintPages::taxNumberBoxes_data()
{
    QTest::addColumn<QString>("dic");
    QTest::addColumn<QString>("printed");
    QTest::newRow("10 characters") << u"CZ12345678"_s << u"CZ12345678.."_s;
    QTest::newRow("14 characters") << u"CZ123456789012"_s << u"CZ1234567890"_s;
    QTest::newRow("empty") << QString() << u"............"_s;
}

void TestPrintPages::taxNumberBoxes()
{
    QFETCH(QString, dic);
    QFETCH(QString, printed);
    setPrp(u"Dic"_s, dic.isEmpty() ? QVariant() : QVariant(dic));
    for (int page : {1, 9, 12, 15})
        QCOMPARE(boxes(page, u"Dic"_s, 12), printed);
}

void TestPrintPages::dateBoxes_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("printed");
    QTest::newRow("5 March 2015") << QDate(2015, 3, 5) << u"05032015"_s;
    QTest::newRow("31 December") << QDate(2015, 12, 31) << u"31122015"_s;
    QTest::newRow("empty") << QDate() << u"........"_s;
}

void TestPrintPages::dateBoxes()
{
    QFETCH(QDate, date);
    QFETCH(QString, printed);
    const QVariant value = date.isValid() ? QVariant(date) : QVariant();
    setPrp(u"Dvo"_s, value);
    setPrp(u"Dv"_s, value);
    setPrp(u"Lhp"_s, value);
    QCOMPARE(boxes(1, u"Dvo"_s, 8), printed);
    for (int page : {4, 10, 13})
        QCOMPARE(boxes(page, u"Dv"_s, 8), printed);
    QCOMPARE(boxes(15, u"Lhp"_s, 8), printed);
}

void TestPrintPages::supplementaryStatementHidesSummaryAmounts()
{
    const QStringList page4{u"C401"_s,  u"C403"_s, u"C404"_s, u"C403a"_s,
                            u"C404a"_s, u"C408"_s, u"C409"_s, u"C410"_s};
    setPrp(u"Dpdd1"_s, true);
    setPrp(u"Dpdd2"_s, true);
    {
        const print::PreparedPage p = m_pages->produce(4)[0];
        for (const QString &n : page4)
            QVERIFY2(p.text(u"QRLabel"_s + n).isEmpty(), qPrintable(n));
        const print::PreparedPage w = m_pages->produce(18)[0];
        for (const QString &n : {u"C401a"_s, u"C402"_s, u"C403"_s})
            QVERIFY2(w.text(u"QRLabel"_s + n).isEmpty(), qPrintable(n));
        // The statement type prints its mark.
        QCOMPARE(m_pages->produce(1)[0].text(u"QRDBTextDpdd1"_s), u"X"_s);
    }
    setPrp(u"Dpdd1"_s, false);
    setPrp(u"Dpdd2"_s, false);
    const print::PreparedPage p = m_pages->produce(4)[0];
    QCOMPARE(p.text(u"QRLabelC404"_s), u"0"_s); // a zero amount
    QCOMPARE(p.text(u"QRLabelC401"_s), m_dm->field(u"VdvlC401"_s)->displayText());
    QVERIFY(!p.text(u"QRLabelC401"_s).isEmpty());
    m_dm->Vdvl().edit();
    m_dm->field(u"VdvlC404a"_s)->clear();
    m_dm->Vdvl().post();
    QCOMPARE(m_pages->produce(4)[0].text(u"QRLabelC404a"_s), u"0"_s); // an empty one too
    QCOMPARE(m_pages->produce(18)[0].text(u"QRLabelC402"_s), m_dm->field(u"VdvsSl1013"_s)->displayText());
    QCOMPARE(m_pages->produce(1)[0].text(u"QRDBTextDpdd1"_s), QString());
}

void TestPrintPages::signatoryCodeInReadingOrder_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("printed");
    QTest::newRow("two characters") << u"4A"_s << u"4A"_s;
    QTest::newRow("one character") << u"5"_s << u".5"_s;
    QTest::newRow("empty") << QString() << u".."_s;
}

void TestPrintPages::signatoryCodeInReadingOrder()
{
    QFETCH(QString, code);
    QFETCH(QString, printed);
    const QVariant value = code.isEmpty() ? QVariant() : QVariant(code);
    setPrp(u"Kzs"_s, value);
    setPrp(u"Kzsa"_s, value);
    for (int page : {4, 10, 13})
        QCOMPARE(boxes(page, u"Kzs"_s, 2), printed);
    QCOMPARE(boxes(18, u"Kzsa"_s, 2), printed);
    // The distinction code stays left-aligned, its boxes 28 units apart.
    setPrp(u"Kod"_s, u"B"_s);
    QCOMPARE(boxes(1, u"Kod"_s, 2), u"B."_s);
    const print::PreparedPage p = m_pages->produce(1)[0];
    QCOMPARE(p.find(u"QRLabelKod2"_s)->rect.x() - p.find(u"QRLabelKod1"_s)->rect.x(), 28.0);
    QCOMPARE(p.find(u"QRLabelDic2"_s)->rect.x() - p.find(u"QRLabelDic1"_s)->rect.x(), 19.0);
}

void TestPrintPages::optionPairsStrikeWhatDoesNotApply()
{
    for (bool zdo : {true, false}) {
        setPrp(u"Zdo"_s, zdo);
        setPrp(u"Pfo"_s, !zdo);
        for (int page : {1, 9, 12, 15}) {
            const print::PreparedPage p = m_pages->produce(page)[0];
            QCOMPARE(p.find(u"QRLabelZdoA"_s)->font.strikeOut, !zdo);
            QCOMPARE(p.find(u"QRLabelZdoN"_s)->font.strikeOut, zdo);
            QVERIFY(p.find(u"QRLabelZdoA"_s)->font.bold);
        }
        const print::PreparedPage p = m_pages->produce(15)[0];
        QCOMPARE(p.find(u"QRLabelPfoA"_s)->font.strikeOut, zdo);
        QCOMPARE(p.find(u"QRLabelPfoN"_s)->font.strikeOut, !zdo);
    }
}

void TestPrintPages::boundTextsShowDisplayText()
{
    const print::PreparedPage p2 = m_pages->produce(2)[0];
    QCOMPARE(p2.text(u"QRDBTextSl21"_s), u"41350"_s);
    QCOMPARE(p2.text(u"QRDBTextSl213"_s), m_dm->field(u"VdvlSl213"_s)->displayText());
    QCOMPARE(p2.find(u"QRDBTextSl21"_s)->align & Qt::AlignHorizontal_Mask, int(Qt::AlignRight));
    // The decision's reference number: left-aligned, 11 units high.
    QCOMPARE(p2.text(u"QRDBTextSlc34"_s), u"123/15/4567"_s);
    QCOMPARE(p2.find(u"QRDBTextSlc34"_s)->align & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
    QCOMPARE(p2.find(u"QRDBTextSlc34"_s)->font.size, 11.0);
    QCOMPARE(p2.text(u"QRDBTextSlo31"_s), u"0"_s); // posting stored the empty amount as 0
    const print::PreparedPage p17 = m_pages->produce(17)[0];
    QCOMPARE(p17.text(u"QRDBTextSlc76"_s), u"77/2015"_s);
    QCOMPARE(p17.text(u"QRDBTextSl1013"_s), m_dm->field(u"VdvsSl1013"_s)->displayText());
    QCOMPARE(m_pages->produce(1)[0].text(u"QRDBTextFu"_s), u"Brno I"_s);
    // The annexes: kind marks, texts and amounts of the rows, the extra rows 15a-17a.
    const print::PreparedPage p9 = m_pages->produce(9)[0];
    QCOMPARE(p9.text(u"QRDBTextZ1"_s), u"Z"_s);
    QCOMPARE(p9.text(u"QRDBTextN12"_s), u"20.04.2015"_s);
    QCOMPARE(p9.text(u"QRDBTextC15"_s), u"1200"_s);
    QCOMPARE(p9.text(u"QRDBTextC155a"_s), u"-300"_s);
    QCOMPARE(p9.text(u"QRDBTextC145"_s), QString()); // an empty amount stays empty
    QVERIFY(p9.find(u"QRDBTextZ17a"_s));
    QVERIFY(p9.find(u"QRDBTextN144"_s));
    const print::PreparedPage p12 = m_pages->produce(12)[0];
    QCOMPARE(p12.text(u"QRDBTextM1"_s), u"M"_s);
    QCOMPARE(p12.text(u"QRDBTextN15"_s), u"12.05.2015"_s);
    QCOMPARE(p12.text(u"QRDBTextC16"_s), u"1117"_s);
    QVERIFY(p12.find(u"QRDBTextC146"_s));
    QVERIFY(!p12.find(u"QRDBTextC156"_s));
}

void TestPrintPages::marginsFromPrintSettings()
{
    const double x = m_pages->produce(4)[0].find(u"QRLabelC401"_s)->rect.x();
    const double y = m_pages->produce(4)[0].find(u"QRLabelC401"_s)->rect.y();
    m_dm->Dmt().edit();
    printtest::set(*m_dm, u"DmtDpl"_s, 10);
    printtest::set(*m_dm, u"DmtDpt"_s, 7); // 26.6 units, rounded to 27
    m_dm->Dmt().post();
    const QList<print::PreparedPage> moved = m_pages->produce(4);
    const print::Element *e = moved[0].find(u"QRLabelC401"_s);
    QCOMPARE(e->rect.x(), x + 38);
    QCOMPARE(e->rect.y(), y + 27);
    m_dm->Dmt().edit();
    printtest::set(*m_dm, u"DmtDpl"_s, 0);
    printtest::set(*m_dm, u"DmtDpt"_s, 0);
    m_dm->Dmt().post();
}

void TestPrintPages::centralEuropeanFontsAfterTheSwitch()
{
    print::FormPages pages(*m_dm);
    QCOMPARE(pages.produce(4)[0].find(u"QRLabelC401"_s)->font.family, u"Arial"_s);
    pages.setCentralEuropeanFonts(true);
    pages.produce(4);
    QCOMPARE(pages.produce(4)[0].find(u"QRLabelC401"_s)->font.family, u"Arial CE"_s);
}

QTEST_MAIN(TestPrintPages)
#include "test_print_pages.moc"
