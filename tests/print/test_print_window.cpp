#include "PrintFakes.h"
#include "SettlementFixture.h"

#include "ScriptedMessages.h"
#include "data/Field.h"
#include "data/TDM1.h"
#include "platform/IniFile.h"
#include "platform/Printers.h"
#include "print/FormPagesProducer.h"
#include "print/TEmtfForm.h"
#include "widgets/Editz.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using platform::IMessages;
using platform::RecordingPrintOutput;

namespace {

// An open settlement with a filled company heading, so the checks before
// filing find nothing unless a test breaks something.
struct Settlement
{
    explicit Settlement(bool withParameters = true)
    {
        dir = dm1test::makeCurrentSettlement(root.path());
        dm.DM1Create(root.path());
        dm.setDatabasePath(dir);
        dm.OtevritTabulky();
        data::Dataset &prp = dm.Prp();
        prp.edit();
        prp.fieldByName(u"Dic"_s)->setAsString(u"CZ12345678"_s);
        prp.fieldByName(u"Dz"_s)->setAsDate(QDate(2015, 1, 1));
        prp.fieldByName(u"Dk"_s)->setAsDate(QDate(2015, 12, 31));
        prp.fieldByName(u"Zdo"_s)->setAsBoolean(true); // the whole period, as the dates say
        prp.fieldByName(u"Dpdr1"_s)->setAsBoolean(true);
        prp.fieldByName(u"Dpdr2"_s)->setAsBoolean(true);
        prp.fieldByName(u"Ojv"_s)->setAsString(u"Stavby Novák s.r.o."_s);
        for (int m = 1; m <= 12; ++m)
            prp.fieldByName(u"Z"_s + QString::number(m))->setAsInteger(3);
        prp.post();
        if (withParameters) {
            data::Dataset &dmt = dm.Dmt();
            dmt.edit();
            dmt.fieldByName(u"Kop"_s)->setAsInteger(1);
            dmt.fieldByName(u"Trh1"_s)->setAsString(u"vybranou stránku"_s);
            dmt.post();
        }
    }
    void setDmt(const QString &field, const QVariant &value)
    {
        data::Dataset &dmt = dm.Dmt();
        dmt.edit();
        dmt.fieldByName(field)->setValue(value);
        dmt.post();
    }

    QTemporaryDir root;
    QString dir;
    data::TDM1 dm{data::Collaborators::tablesOnly()};
};

struct Window
{
    explicit Window(Settlement &s)
        : printerSource({u"Laser"_s, u"Kancelář"_s}, u"Laser"_s), printers{printerSource.printerNames(), 0},
          form({s.dm, messages, s.dir + u"/D1.ini"_s, printers, printerSource, output, pages, preview,
                fontFamily, 2015})
    {}
    void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton); }
    QStringList printed() const
    {
        QStringList t;
        for (const RecordingPrintOutput::Job &j : output.jobs())
            t.append(j.title);
        return t;
    }

    platform::ScriptedMessages messages;
    platform::FixedPrinters printerSource;
    platform::PrinterState printers;
    RecordingPrintOutput output;
    printtest::FakePages pages;
    printtest::FakePreview preview;
    int fontFamily = 0;
    print::TEmtfForm form;
};

} // namespace

// The print window with a recording printer: the page tree and its buttons,
// the page sets and copies of Dmt, browsing in the preview, the PDF button,
// the warning of the checks before filing and the settings kept on closing.
class TestPrintWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headerNodeDisablesTheButtons();
    void oddPagesOfTheWithholdingStatement();
    void copiesAsSeparateJobs();
    void browsingShowsPageOfTotal();
    void pdfButtonWritesTheSet();
    void checksWarnBeforePrinting();
    void closingKeepsTheSettings();
    void emptyParametersCompleted();
    void emptiedCopiesKeepTheWindow_data();
    void emptiedCopiesKeepTheWindow();
    void pdfOfTheFormPages();
    void xmlButtonLeadsToTheFiling();
};

void TestPrintWindow::xmlButtonLeadsToTheFiling()
{
    Settlement s;
    Window w(s);
    w.form.show();
    QVERIFY(!w.form.xmlButton()->isVisible());
    int opened = 0;
    w.form.setElectronicFiling([&opened] { ++opened; });
    QVERIFY(w.form.xmlButton()->isVisible());
    w.click(w.form.xmlButton());
    QCOMPARE(opened, 1);
}

void TestPrintWindow::headerNodeDisablesTheButtons()
{
    Settlement s;
    Window w(s);
    w.form.show();
    QVERIFY(w.form.previewButton()->isEnabled());
    QCOMPARE(w.form.tree()->topLevelItemCount(), 5);
    QVERIFY(w.form.tree()->topLevelItem(1)->isExpanded());

    w.form.selectPage(14);
    QVERIFY(!w.form.previewButton()->isEnabled());
    QVERIFY(!w.form.printButton()->isEnabled());
    QVERIFY(!w.form.pdfButton()->isEnabled());
    QTest::keyClick(w.form.tree(), Qt::Key_F6);
    QTest::mouseDClick(w.form.tree()->viewport(), Qt::LeftButton, {},
                       w.form.tree()->visualItemRect(w.form.tree()->currentItem()).center());
    QVERIFY(w.pages.produced.isEmpty());

    // Collapsing is refused: the tree stays fully expanded.
    w.form.tree()->collapseItem(w.form.tree()->currentItem());
    QVERIFY(w.form.tree()->currentItem()->isExpanded());

    // F6 previews a page by default.
    w.form.selectPage(15);
    QTest::keyClick(w.form.tree(), Qt::Key_F6);
    QCOMPARE(w.pages.produced, QList<int>{15});
    QVERIFY(w.output.jobs().isEmpty());
}

void TestPrintWindow::oddPagesOfTheWithholdingStatement()
{
    Settlement s;
    s.setDmt(u"Trh1"_s, u"liché stránky"_s);
    Window w(s);
    w.form.show();
    w.form.selectPage(16);
    w.click(w.form.printButton());
    QCOMPARE(w.printed(), (QStringList{u"Strana 15"_s, u"Strana 17"_s}));
    QCOMPARE(w.output.jobs().front().printer, u"Laser"_s);
    QVERIFY(w.form.printButton()->isEnabled());
}

void TestPrintWindow::copiesAsSeparateJobs()
{
    Settlement s;
    s.setDmt(u"Pk"_s, false);
    s.setDmt(u"Kop"_s, 3);
    Window w(s);
    w.form.show();
    w.form.selectPage(3);
    w.click(w.form.printButton());
    QCOMPARE(w.output.jobs().size(), 3);
    for (const RecordingPrintOutput::Job &j : w.output.jobs())
        QCOMPARE(j.copies, 1);

    s.setDmt(u"Pk"_s, true);
    w.output.clear();
    w.click(w.form.printButton());
    QCOMPARE(w.output.jobs().size(), 1);
    QCOMPARE(w.output.jobs().front().copies, 3);
}

void TestPrintWindow::browsingShowsPageOfTotal()
{
    Settlement s;
    s.setDmt(u"Prh1"_s, true);
    Window w(s);
    w.form.show();
    w.form.selectPage(2);
    w.preview.script = {u"next"_s};
    w.click(w.form.previewButton());
    QCOMPARE(w.preview.shown.size(), 2);
    QCOMPARE(w.preview.shown.at(0).pageLabel, u"Strana 2 z 4"_s);
    QCOMPARE(w.preview.shown.at(1).pageLabel, u"Strana 3 z 4"_s);
}

void TestPrintWindow::pdfButtonWritesTheSet()
{
    Settlement s;
    s.setDmt(u"Trh1"_s, u"všechny stránky"_s);
    Window w(s);
    w.form.show();
    QString suggested;
    w.form.pdfFileDialog = [&suggested](const QString &path) {
        suggested = path;
        return u"/tmp/vyuctovani"_s;
    };
    w.form.selectPage(9);
    w.click(w.form.pdfButton());
    QVERIFY(suggested.endsWith(u"/Stavby Novák s.r.o. - Příloha k vyúčtování - opravy.pdf"_s));
    QCOMPARE(w.output.jobs(),
             (QList<RecordingPrintOutput::Job>{
                 {u"/tmp/vyuctovani.pdf"_s, 1, u"Příloha k vyúčtování - opravy"_s, 2, true}}));

    // Cancelled: nothing written.
    w.form.pdfFileDialog = [](const QString &) { return QString(); };
    w.click(w.form.pdfButton());
    QCOMPARE(w.output.jobs().size(), 1);
}

void TestPrintWindow::checksWarnBeforePrinting()
{
    Settlement s;
    data::Dataset &prp = s.dm.Prp();
    prp.edit();
    prp.fieldByName(u"Dic"_s)->setAsString(u"CZ123"_s);
    prp.post();
    Window w(s);
    w.form.show();
    w.form.selectPage(1);
    w.messages.addAnswer(IMessages::Answer::No);
    w.click(w.form.printButton());
    QVERIFY(w.output.jobs().isEmpty());
    QVERIFY(w.messages.texts(IMessages::Kind::Confirmation)
                .front()
                .contains(u"Údaje o plátci: DIČ „CZ123“ nemá tvar CZ a 8 až 10 číslic."_s));
    w.messages.addAnswer(IMessages::Answer::Yes);
    w.click(w.form.printButton());
    QCOMPARE(w.printed(), QStringList{u"Strana 1"_s});
}

void TestPrintWindow::closingKeepsTheSettings()
{
    Settlement s;
    {
        Window w(s);
        w.form.show();
        // F6 set to print, own printer kept for the settlement, CE fonts.
        w.form.findChild<QRadioButton *>(u"F6Tisk"_s)->setChecked(true);
        w.form.findChild<QRadioButton *>(u"Pismo1"_s)->setChecked(true);
        w.form.findChild<QCheckBox *>(u"Vychozi"_s)->setChecked(false);
        w.form.printerBox()->setCurrentIndex(1);
        Q_EMIT w.form.printerBox()->activated(1);
        QCOMPARE(w.printers.current, 1);
        w.form.move(40, 50);
        w.form.reject();
        QCOMPARE(w.fontFamily, 1);
    }
    const platform::IniFile ini(s.dir + u"/D1.ini"_s);
    QCOMPARE(ini.readString(u"Tisk", u"Tisk"), u"1"_s);
    QCOMPARE(ini.readString(u"Tisk", u"Vychozi"), u"0"_s);
    QCOMPARE(ini.readString(u"Tisk", u"Tiskarna"), u"Kancelář"_s);
    QVERIFY(ini.valueExists(u"Tisk", u"Tisk3Top"));

    // Reopened: the stored printer is chosen again and F6 prints.
    Window w(s);
    QCOMPARE(w.printers.current, 1);
    QCOMPARE(w.form.printerBox()->currentIndex(), 1);
    w.form.show();
    w.form.selectPage(7);
    QTest::keyClick(w.form.tree(), Qt::Key_F6);
    QCOMPARE(w.printed(), QStringList{u"Strana 7"_s});
    QCOMPARE(w.output.jobs().front().printer, u"Kancelář"_s);
}

void TestPrintWindow::emptyParametersCompleted()
{
    Settlement s(false);
    QVERIFY(s.dm.Dmt().fieldByName(u"Kop"_s)->isNull());
    Window w(s);
    QCOMPARE(s.dm.Dmt().fieldByName(u"Kop"_s)->asInteger(), 1);
    QCOMPARE(s.dm.Dmt().fieldByName(u"Trh1"_s)->asString(), u"vybranou stránku"_s);
    QCOMPARE(s.dm.Dmt().state(), data::DatasetState::Browse);
    QVERIFY(w.messages.shown().isEmpty());
}

// "Počet kopií" emptied by the user: each button that makes pages reports
// the field's range and the window stays, with nothing printed or shown.
void TestPrintWindow::emptiedCopiesKeepTheWindow_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("Náhled") << 0;
    QTest::newRow("Tisk") << 1;
    QTest::newRow("PDF") << 2;
}

void TestPrintWindow::emptiedCopiesKeepTheWindow()
{
    QFETCH(int, button);
    Settlement s;
    Window w(s);
    w.form.pdfFileDialog = [&s](const QString &) { return s.dir + u"/stránky.pdf"_s; };
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.form.selectPage(2);
    widgets::TDBEditz *copies = nullptr;
    const QList<widgets::TDBEditz *> boxes = w.form.findChildren<widgets::TDBEditz *>();
    for (widgets::TDBEditz *b : boxes) {
        if (b->field() && b->field()->fieldName() == u"Kop")
            copies = b;
    }
    QVERIFY(copies);
    copies->setFocus();
    QTest::keyClick(copies, Qt::Key_End);
    QTest::keyClick(copies, Qt::Key_Backspace);
    QCOMPARE(copies->text(), QString());
    QPushButton *buttons[] = {w.form.previewButton(), w.form.printButton(), w.form.pdfButton()};
    w.click(buttons[button]);
    QCOMPARE(w.messages.texts(IMessages::Kind::Error).size(), 1);
    QCOMPARE(w.messages.texts().first(),
             u"0 není platná hodnota pro pole 'Počet kopií'. Povolený rozsah je od 1 do 999"_s);
    QVERIFY(w.form.isVisible());
    QVERIFY(w.preview.shown.isEmpty());
    QVERIFY(w.output.jobs().isEmpty());
    QVERIFY(!QFile::exists(s.dir + u"/stránky.pdf"_s));
    QVERIFY(buttons[button]->isEnabled());
}

// The PDF button through the page engine and Qt's PDF writer: one file with
// the four pages of the employment statement.
void TestPrintWindow::pdfOfTheFormPages()
{
    Settlement s;
    s.setDmt(u"Trh1"_s, u"všechny stránky"_s);
    platform::ScriptedMessages messages;
    platform::FixedPrinters printerSource({}, QString());
    platform::PrinterState printers;
    platform::QtPrintOutput output;
    int fontFamily = 0;
    print::FormPagesProducer pages(s.dm, fontFamily);
    printtest::FakePreview preview;
    print::TEmtfForm form({s.dm, messages, s.dir + u"/D1.ini"_s, printers, printerSource, output, pages,
                           preview, fontFamily, 2015});
    const QString path = s.root.filePath(u"vyuctovani.pdf"_s);
    form.pdfFileDialog = [&path](const QString &) { return path; };
    form.selectPage(3);
    form.writePdf();
    QCOMPARE(messages.texts(), QStringList());
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/Type /Page\n"), 4);
}

QTEST_MAIN(TestPrintWindow)
#include "test_print_window.moc"
