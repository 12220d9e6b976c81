// The layout format: what a page file may say, how a damaged one is
// refused, and the sheets the engine lays out from bands.
#include "data/Dataset.h"
#include "data/Field.h"
#include "data/RecordStore.h"
#include "print/CompanyList.h"
#include "print/FormPages.h"
#include "print/Layout.h"
#include "print/Report.h"

#include <QDirIterator>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace print;

class TestPrintLayout : public QObject
{
    Q_OBJECT

private slots:
    void readsElements();
    void refusesDamagedLayouts_data();
    void refusesDamagedLayouts();
    void checksFieldNames_data();
    void checksFieldNames();
    void loadRefusesMisspelledField();
    void shippedLayoutsLoad();
    void centralEuropeanFontsOnce();
    void fontsMapToLiberation();
    void groupBandsMakeSheets();
    void marginsMoveTheSheet();
};

static const QString kSample = uR"(# sample
title "Zkouška"
source Vdvl
band pageheader 20
band detail 1018
font Arial 8
label 10 20 100 12 "Řádek ""1""\ndruhý" bold align=center
field QRDBTextSl21 10 40 80 14 Vdvl.Sl21 size=12
number QRLabelC401 10 60 80 14 Vdvl.C401 blankif=Prp.Dpdd1
option QRLabelZdoA 10 80 80 14 "za zdaňovací období" Prp.Zdo true
boxes Dic 100 100 12 Prp.Dic buffer=15
boxes Dz 100 130 8 Prp.Dz fill=date tick=6
frame 0 0 700 900 pen=1 shade=0.2
dash 0 10 700 10
hline 0 20 700
vline 5 0 900
pagenumber 700 0 20 10 align=right
)"_s;

void TestPrintLayout::readsElements()
{
    const PageLayout l = parseLayout(kSample, u"sample"_s);
    QCOMPARE(l.title, u"Zkouška"_s);
    QCOMPARE(l.bands.size(), 2);
    QCOMPARE(l.band(BandKind::Detail)->height, 1018.0);
    const Band &d = *l.band(BandKind::Detail);
    QCOMPARE(d.elements[0].text, u"Řádek \"1\"\ndruhý"_s);
    QVERIFY(d.elements[0].font.bold);
    QCOMPARE(d.elements[0].font.size, 8.0);
    QCOMPARE(d.elements[0].align & Qt::AlignHorizontal_Mask, int(Qt::AlignHCenter));
    QCOMPARE(l.element(u"QRDBTextSl21"_s)->source, u"Vdvl.Sl21"_s);
    QCOMPARE(l.element(u"QRLabelC401"_s)->blankIf, u"Prp.Dpdd1"_s);
    QVERIFY(l.element(u"QRLabelC401"_s)->font.bold);
    QVERIFY(l.element(u"QRLabelZdoA"_s)->optionValue);
    // Box groups: the comb plus one label per box, 19 units apart.
    QVERIFY(l.element(u"QRLabelDic12"_s));
    QVERIFY(!l.element(u"QRLabelDic13"_s));
    QCOMPARE(l.element(u"QRLabelDic2"_s)->rect.x() - l.element(u"QRLabelDic1"_s)->rect.x(), 19.0);
    QCOMPARE(l.element(u"QRLabelDic1"_s)->buffer, 15);
    QCOMPARE(l.element(u"QRLabelDz8"_s)->fill, BoxFill::Date);
    int combs = 0;
    for (const Element &e : d.elements)
        combs += e.kind == ElementKind::Comb;
    QCOMPARE(combs, 2);
}

void TestPrintLayout::refusesDamagedLayouts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString head = u"title \"T\"\nband detail 100\n"_s;
    QTest::newRow("unknown command") << head + u"circle 1 2 3"_s << u"(řádek 3): příkaz \"circle\" neznám."_s;
    QTest::newRow("bad number") << head + u"frame 1 x 3 4"_s << u"(řádek 3): \"x\" není platné číslo."_s;
    QTest::newRow("too few") << head + u"frame 1 2 3"_s << u"příkaz \"frame\" má málo údajů"_s;
    QTest::newRow("open quote") << head + u"label 1 2 3 4 \"abc"_s << u"neukončený text v uvozovkách"_s;
    QTest::newRow("element before band")
        << u"title \"T\"\nhline 1 2 3\nband detail 1"_s << u"(řádek 2): prvek stojí před prvním pásem."_s;
    QTest::newRow("unknown band") << u"title \"T\"\nband side 10"_s << u"pás \"side\" neznám"_s;
    QTest::newRow("band twice") << head + u"band detail 10"_s << u"pás \"detail\" je uveden dvakrát"_s;
    QTest::newRow("bad source") << head + u"field A 1 2 3 4 Sl21"_s
                                << u"zdroj \"Sl21\" nemá tvar Tabulka.Pole"_s;
    QTest::newRow("name twice") << head + u"field A 1 2 3 4 T.F\nfield A 1 2 3 4 T.G"_s
                                << u"(řádek 4): prvek \"A\" je uveden dvakrát."_s;
    QTest::newRow("unknown attribute")
        << head + u"hline 1 2 3 colour=red"_s << u"vlastnost \"colour\" neznám"_s;
    QTest::newRow("box count") << head + u"boxes A 1 2 0 T.F"_s << u"\"0\" není celé číslo od 1 do 99"_s;
    QTest::newRow("short date") << head + u"boxes A 1 2 6 T.F fill=date"_s << u"datum potřebuje 8 polí"_s;
    QTest::newRow("buffer too short")
        << head + u"boxes A 1 2 6 T.F buffer=3"_s << u"vlastnost \"buffer\" má neplatnou hodnotu \"3\""_s;
    QTest::newRow("option value") << head + u"option A 1 2 3 4 \"a\" T.F maybe"_s
                                  << u"volba potřebuje hodnotu true nebo false"_s;
    QTest::newRow("no title") << u"band detail 100"_s << u"chybí název (title)"_s;
    QTest::newRow("no detail") << u"title \"T\"\nband title 100"_s << u"chybí pás detail"_s;
}

void TestPrintLayout::refusesDamagedLayouts()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    try {
        parseLayout(text, u"rdpv9.layout"_s);
        QFAIL("a damaged layout was accepted");
    } catch (const LayoutError &e) {
        QVERIFY2(e.message().startsWith(u"Rozvržení tiskové strany \"rdpv9.layout\" je poškozené"_s),
                 qPrintable(e.message()));
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
}

void TestPrintLayout::checksFieldNames_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("unknown"); // empty: the line is accepted
    QTest::newRow("stored field") << u"field A 1 2 3 4 Vdvl.Sl21"_s << QString();
    QTest::newRow("letter case") << u"field A 1 2 3 4 vdvl.sl21"_s << QString();
    QTest::newRow("calculated field") << u"number A 1 2 3 4 Vdvl.C401 blankif=Prp.Dpdd1"_s << QString();
    QTest::newRow("print query") << u"field A 1 2 3 4 VpzQr.C4a"_s << QString();
    QTest::newRow("print query, stored field") << u"field A 1 2 3 4 VpzQr.N3"_s << QString();
    QTest::newRow("misspelled field") << u"field A 1 2 3 4 Vdvl.Sl2l"_s << u"Vdvl.Sl2l"_s;
    QTest::newRow("unknown table") << u"field A 1 2 3 4 Vdvx.Sl21"_s << u"Vdvx.Sl21"_s;
    QTest::newRow("field of another table") << u"field A 1 2 3 4 Prp.Sl21"_s << u"Prp.Sl21"_s;
    QTest::newRow("blank mark") << u"number A 1 2 3 4 Vdvl.C401 blankif=Prp.Dpd1"_s << u"Prp.Dpd1"_s;
    QTest::newRow("option") << u"option A 1 2 3 4 \"a\" Prp.Zd true"_s << u"Prp.Zd"_s;
    QTest::newRow("box group") << u"boxes Dic 1 2 10 Prp.Dc"_s << u"Prp.Dc"_s;
    QTest::newRow("group field") << u"group Cislx 18"_s << u"VpzQr.Cislx"_s;
}

// A misspelled field would print as a blank box on a form the employer signs;
// it is refused when the layout is read, at its line.
void TestPrintLayout::checksFieldNames()
{
    QFETCH(QString, line);
    QFETCH(QString, unknown);
    const QString text = u"title \"T\"\nsource VpzQr\nband detail 100\n"_s + line;
    try {
        parseLayout(text, u"rdpv9.layout"_s, isSettlementField);
        QVERIFY2(unknown.isEmpty(), "a misspelled field was accepted");
    } catch (const LayoutError &e) {
        QVERIFY2(!unknown.isEmpty(), qPrintable(e.message()));
        QCOMPARE(
            e.message(),
            u"Rozvržení tiskové strany \"rdpv9.layout\" je poškozené (řádek 4): pole \"%1\" neznám."_s.arg(
                unknown));
    }
    // Without a catalog only the form of the name is checked.
    parseLayout(text, u"rdpv9.layout"_s);
}

void TestPrintLayout::loadRefusesMisspelledField()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(u"rvu9.layout"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("title \"T\"\nsource Prp\nband detail 100\n\nfield A 1 2 3 4 Prp.Dic\nboxes Dz 1 2 8 Prp.Dzz "
               "fill=date\n");
    file.close();
    try {
        loadLayout(file.fileName());
        QFAIL("a layout with a misspelled field was loaded");
    } catch (const LayoutError &e) {
        QCOMPARE(
            e.message(),
            u"Rozvržení tiskové strany \"rvu9.layout\" je poškozené (řádek 6): pole \"Prp.Dzz\" neznám."_s);
    }
    QVERIFY(isCompanyListField(u"TableA", u"Nazev"));
    QVERIFY(!isCompanyListField(u"TableA", u"Nazv"));
    QVERIFY(!isCompanyListField(u"Prp", u"Nazev"));
}

void TestPrintLayout::shippedLayoutsLoad()
{
    int count = 0;
    QDirIterator it(u":/print/layouts"_s);
    while (it.hasNext()) {
        const QString path = it.next();
        const bool companyList = path.endsWith(u"/rvoz1a.layout"_s);
        const PageLayout l = loadLayout(path, companyList ? isCompanyListField : isSettlementField);
        QVERIFY2(!l.title.isEmpty(), qPrintable(path));
        ++count;
    }
    QVERIFY(count >= 1);
    for (int page : printablePages())
        QVERIFY(layoutPath(page).startsWith(u":/print/layouts/"_s));
    QVERIFY(!isPrintablePage(0));
    QVERIFY(!isPrintablePage(5));
    QVERIFY(isPrintablePage(18));
    try {
        loadLayout(u":/print/layouts/none.layout"_s);
        QFAIL("a missing layout was loaded");
    } catch (const LayoutError &e) {
        QCOMPARE(e.message(), u"Rozvržení tiskové strany \"none.layout\" nelze načíst."_s);
    }
}

void TestPrintLayout::centralEuropeanFontsOnce()
{
    PageLayout l = parseLayout(kSample, u"sample"_s);
    convertToCentralEuropean(l);
    convertToCentralEuropean(l);
    for (FontSpec *f : l.fonts())
        QCOMPARE(f->family, u"Arial CE"_s);
}

void TestPrintLayout::fontsMapToLiberation()
{
    QCOMPARE(substituteFamily(u"Arial"_s), u"Liberation Sans"_s);
    QCOMPARE(substituteFamily(u"Arial CE"_s), u"Liberation Sans"_s);
    QCOMPARE(substituteFamily(u"Courier New CE"_s), u"Liberation Mono"_s);
    QCOMPARE(substituteFamily(u"Times New Roman"_s), u"Liberation Serif"_s);
    QCOMPARE(substituteFamily(u"Tahoma"_s), u"Tahoma"_s);
}

// Rows grouped by a field: a sheet per group with header and footer, the
// page header on every sheet, the running page number.
void TestPrintLayout::groupBandsMakeSheets()
{
    const PageLayout l = parseLayout(uR"(title "Skupiny"
source Rows
group Cislo 0
band pageheader 20
pagenumber 0 0 20 10
band groupheader 100
label 0 0 100 10 "Hlava" name=Head
band detail 30
field Name 0 0 100 10 Rows.Name
band groupfooter 50
label 0 0 100 10 "Pata" name=Foot
band summary 10
label 0 0 100 10 "Konec" name=End
)"_s,
                                     u"t"_s);
    data::MemoryStore store(paradox::Schema{
        {paradox::field(u"Cislo"_s, paradox::FieldType::Long), paradox::alpha(u"Name"_s, 20)}, 0});
    data::Dataset rows(u"Rows"_s, &store);
    rows.createFields(store.schema());
    rows.open();
    const QList<std::pair<int, QString>> values{{1, u"a"_s}, {1, u"b"_s}, {2, u"c"_s}};
    for (const auto &[sheet, name] : values) {
        rows.append();
        rows.fieldByName(u"Cislo"_s)->setValue(sheet);
        rows.fieldByName(u"Name"_s)->setValue(name);
        rows.post();
    }
    ReportData data;
    data.rows = &rows;
    data.field = [&rows](const QString &source) -> const data::Field * {
        return rows.fieldByName(source.section(u'.', 1));
    };
    data.texts.insert(u"End"_s, u"Konec sestavy"_s);
    const QList<PreparedPage> pages = prepareReport(l, data);
    QCOMPARE(pages.size(), 2);
    QStringList first, second;
    for (const Element &e : pages[0].items)
        first << e.text;
    for (const Element &e : pages[1].items)
        second << e.text;
    QCOMPARE(first, (QStringList{u"1"_s, u"Hlava"_s, u"a"_s, u"b"_s, u"Pata"_s}));
    QCOMPARE(second, (QStringList{u"2"_s, u"Hlava"_s, u"c"_s, u"Pata"_s, u"Konec sestavy"_s}));
    // Bands stack: header 20, group header 100, then the rows 30 apart.
    QCOMPARE(pages[0].items[2].rect.y(), 120.0);
    QCOMPARE(pages[0].items[3].rect.y(), 150.0);
}

void TestPrintLayout::marginsMoveTheSheet()
{
    const PageLayout l =
        parseLayout(u"title \"T\"\nband pageheader 20\nband detail 100\nframe 10 5 20 20 pen=4"_s, u"t"_s);
    ReportOptions o;
    o.leftMarginMm = 10;
    o.headerHeight = 38;
    const QList<PreparedPage> pages = prepareReport(l, ReportData{}, o);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].items[0].rect, QRectF(48, 43, 20, 20));
    // A top margin too large for the form still gives one sheet.
    o.headerHeight = 200;
    QCOMPARE(prepareReport(
                 parseLayout(u"title \"T\"\nband pageheader 20\nband detail 1018\nhline 0 0 10"_s, u"t"_s),
                 ReportData{}, o)
                 .size(),
             1);
    // The frame lands where the units say: 3.8 units per millimetre.
    QImage image(210, 297, QImage::Format_RGB32); // one pixel per millimetre
    image.fill(Qt::white);
    QPainter p(&image);
    renderPage(p, QRectF(0, 0, 210, 297), pages[0]);
    p.end();
    QVERIFY(qGray(image.pixel(12, 11)) < 160); // top-left corner of the frame, about (12.6, 11.3) mm
    QVERIFY(qGray(image.pixel(30, 30)) > 200); // outside
}

QTEST_MAIN(TestPrintLayout)
#include "test_print_layout.moc"
