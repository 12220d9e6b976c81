// The company list: a framed title on the first sheet, column captions on
// every sheet, one row per settlement in the given order, the total at the
// end, the left margin.
#include "print/CompanyList.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QList<print::CompanyListRow> companies(int count)
{
    QList<print::CompanyListRow> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({i * 10, u"Firma %1 s.r.o."_s.arg(i), u"D%1"_s.arg(i * 10)});
    return rows;
}

QStringList texts(const print::PreparedPage &sheet, const QString &name)
{
    QStringList t;
    for (const print::Element &e : sheet.items) {
        if (e.name == name)
            t.append(e.text);
    }
    return t;
}

const print::Element *label(const print::PreparedPage &sheet, const QString &text)
{
    for (const print::Element &e : sheet.items) {
        if (e.kind == print::ElementKind::Label && e.text == text)
            return &e;
    }
    return nullptr;
}

const QString Title = u"S E Z N A M   F I R E M   V E   V Y Ú Č T O V Á N Í"_s;

} // namespace

class TestCompanyList : public QObject
{
    Q_OBJECT

private slots:
    void rowsInTheGivenOrder();
    void emptyListShowsTheFrameAndZero();
    void longListRunsOverSheets();
    void leftMarginAndFonts();
};

void TestCompanyList::rowsInTheGivenOrder()
{
    QList<print::CompanyListRow> rows = companies(3);
    std::swap(rows[0], rows[2]);
    const QList<print::PreparedPage> sheets = print::companyListPages(rows, 0, false);
    QCOMPARE(sheets.size(), 1);
    QCOMPARE(texts(sheets[0], u"QRDBTextCislo"_s), (QStringList{u"30"_s, u"20"_s, u"10"_s}));
    QCOMPARE(texts(sheets[0], u"QRDBTextNazev"_s).front(), u"Firma 3 s.r.o."_s);
    QCOMPARE(texts(sheets[0], u"QRDBTextAdresar"_s).back(), u"D10"_s);
    QCOMPARE(sheets[0].text(u"QRExprPocet"_s), u"3"_s);
    // The title stands above the column captions.
    QVERIFY(label(sheets[0], Title));
    QVERIFY(label(sheets[0], Title)->rect.top() < label(sheets[0], u"Číslo"_s)->rect.top());
    QVERIFY(label(sheets[0], u"Celkový počet firem"_s));
}

void TestCompanyList::emptyListShowsTheFrameAndZero()
{
    const QList<print::PreparedPage> sheets = print::companyListPages({}, 0, false);
    QCOMPARE(sheets.size(), 1);
    QVERIFY(label(sheets[0], Title));
    QVERIFY(label(sheets[0], u"Název firmy"_s));
    QVERIFY(label(sheets[0], u"Adresář"_s));
    QVERIFY(texts(sheets[0], u"QRDBTextNazev"_s).isEmpty());
    QCOMPARE(sheets[0].text(u"QRExprPocet"_s), u"0"_s);
}

void TestCompanyList::longListRunsOverSheets()
{
    const QList<print::PreparedPage> sheets = print::companyListPages(companies(80), 0, false);
    QVERIFY(sheets.size() >= 2);
    int rows = 0;
    for (const print::PreparedPage &s : sheets) {
        QVERIFY(label(s, u"Číslo"_s));
        rows += int(texts(s, u"QRDBTextCislo"_s).size());
    }
    QCOMPARE(rows, 80);
    QVERIFY(label(sheets.front(), Title));
    QVERIFY(!label(sheets.back(), Title));
    QCOMPARE(sheets.back().text(u"QRExprPocet"_s), u"80"_s);
}

void TestCompanyList::leftMarginAndFonts()
{
    const QList<print::PreparedPage> plain = print::companyListPages(companies(1), 0, false);
    const QList<print::PreparedPage> moved = print::companyListPages(companies(1), 10, true);
    const print::Element *a = label(plain[0], u"Číslo"_s);
    const print::Element *b = label(moved[0], u"Číslo"_s);
    QCOMPARE(b->rect.left() - a->rect.left(), 38.0);
    QCOMPARE(a->font.family, u"Arial"_s);
    QCOMPARE(b->font.family, u"Arial CE"_s);
}

QTEST_MAIN(TestCompanyList)
#include "test_company_list.moc"
