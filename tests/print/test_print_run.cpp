#include "PrintFakes.h"
#include "ScriptedMessages.h"
#include "platform/IniFile.h"
#include "platform/Printers.h"
#include "print/PageTree.h"
#include "print/PrintRun.h"
#include "print/PrintSettings.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using platform::IMessages;
using platform::RecordingPrintOutput;
using printtest::FakePages;
using printtest::FakePreview;

namespace {

struct Rig
{
    Rig() : run(pages, preview, output, messages)
    {
        run.parameters = [this] { return params; };
        run.printerName = [] { return u"Kancelář"_s; };
        run.status = [this](const QString &t) {
            if (!t.isEmpty())
                statusTexts.append(t);
        };
    }
    QStringList printedTitles() const
    {
        QStringList t;
        for (const RecordingPrintOutput::Job &j : output.jobs())
            t.append(j.title);
        return t;
    }

    FakePages pages;
    FakePreview preview;
    RecordingPrintOutput output;
    platform::ScriptedMessages messages;
    print::PrintParameters params;
    QStringList statusTexts;
    print::PrintRun run;
};

} // namespace

// The print window's choices without the window: the page tree and its page
// sets, paging through a statement in the preview, copies, the PDF of a set,
// the warning of the checks before filing, and the window's INI settings with
// the printer choice.
class TestPrintRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void treeHasNineteenNodes();
    void pageSets_data();
    void pageSets();
    void headerNodeDoesNothing();
    void browsingPagesThroughAStatement();
    void browsingOffOrEmployeeCountShowsOnePage();
    void copies_data();
    void copies();
    void failedPageReportedAndTheSetGoesOn();
    void pdfWritesTheSetAsOneFile();
    void unexpectedFailuresKeepTheirReason_data();
    void unexpectedFailuresKeepTheirReason();
    void checksWarnBeforePrinting();
    void defaultPdfName();
    void settingsInIni();
    void printerChoice();
};

void TestPrintRun::treeHasNineteenNodes()
{
    const QList<print::PageNode> &tree = print::pageTree();
    QCOMPARE(tree.size(), 19);
    for (int i = 0; i < tree.size(); ++i)
        QCOMPARE(tree.at(i).index, i);
    QCOMPARE(tree.at(0).caption, u"Vyúčtování daně z příjmů ze závislé činnosti"_s);
    QCOMPARE(tree.at(7).caption, u"Tisk strany 2"_s);
    QCOMPARE(tree.at(14).caption, u"Vyúčtování daně vybírané srážkou"_s);
    QCOMPARE(tree.at(18).caption, u"Tisk strany 4"_s);
    QList<int> headers;
    for (const print::PageNode &n : tree) {
        if (n.level == 0)
            headers.append(n.index);
        QCOMPARE(print::isPageNode(n.index), n.level == 1);
    }
    QCOMPARE(headers, (QList<int>{0, 5, 8, 11, 14}));
}

void TestPrintRun::pageSets_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("trh1");
    QTest::addColumn<QList<int>>("pages");

    QTest::newRow("selected") << 3 << print::PageSetSelected << QList<int>{3};
    QTest::newRow("employment all") << 2 << print::PageSetAll << QList<int>{1, 2, 3, 4};
    QTest::newRow("employment odd") << 4 << print::PageSetOdd << QList<int>{1, 3};
    QTest::newRow("employment even") << 1 << print::PageSetEven << QList<int>{2, 4};
    QTest::newRow("withholding odd from 16") << 16 << print::PageSetOdd << QList<int>{15, 17};
    QTest::newRow("withholding even") << 15 << print::PageSetEven << QList<int>{16, 18};
    QTest::newRow("corrections all") << 10 << print::PageSetAll << QList<int>{9, 10};
    QTest::newRow("corrections odd") << 10 << print::PageSetOdd << QList<int>{9};
    QTest::newRow("bonus even") << 12 << print::PageSetEven << QList<int>{13};
    QTest::newRow("employee count ignores the set") << 7 << print::PageSetAll << QList<int>{7};
    QTest::newRow("employee count with unknown text") << 6 << u"x"_s << QList<int>{6};
    QTest::newRow("unknown text prints nothing") << 2 << u"Liché stránky"_s << QList<int>{};
    QTest::newRow("header") << 8 << print::PageSetAll << QList<int>{};
    QTest::newRow("outside the tree") << 19 << print::PageSetSelected << QList<int>{};
}

void TestPrintRun::pageSets()
{
    QFETCH(int, selected);
    QFETCH(QString, trh1);
    QFETCH(QList<int>, pages);
    QCOMPARE(print::pageSet(selected, trh1), pages);

    Rig rig;
    rig.params.pageSet = trh1;
    rig.run.VyberTypuTiskVY(selected);
    QCOMPARE(rig.pages.produced, pages);
    QCOMPARE(rig.output.jobs().size(), pages.size());
}

void TestPrintRun::headerNodeDoesNothing()
{
    Rig rig;
    rig.params.pageSet = print::PageSetAll;
    for (int header : {0, 5, 8, 11, 14}) {
        rig.run.VyberTypuNahledVY(header);
        rig.run.VyberTypuTiskVY(header);
        QVERIFY(!rig.run.writePdf(header, u"/tmp/x.pdf"_s));
    }
    QVERIFY(rig.pages.produced.isEmpty());
    QVERIFY(rig.output.jobs().isEmpty());
}

void TestPrintRun::browsingPagesThroughAStatement()
{
    Rig rig;
    rig.preview.script = {u"next"_s, u"last"_s, u"prior"_s};
    rig.run.VyberTypuNahledVY(2);
    // After the script the preview is closed: browsing ends.
    QCOMPARE(rig.pages.produced, (QList<int>{2, 3, 4, 3}));
    QStringList labels;
    for (const FakePreview::Shown &s : rig.preview.shown)
        labels.append(s.pageLabel);
    QCOMPARE(labels,
             (QStringList{u"Strana 2 z 4"_s, u"Strana 3 z 4"_s, u"Strana 4 z 4"_s, u"Strana 3 z 4"_s}));
    QCOMPARE(rig.preview.shown.front().statusLine, u"Bude vytištěna zobrazená stránka."_s);
    QVERIFY(!rig.run.browseState().browsing);
    QCOMPARE(rig.statusTexts.front(), u"Připravuje se náhled před tiskem ..."_s);

    Rig withholding;
    withholding.preview.script = {u"first"_s, u"prior"_s};
    withholding.run.VyberTypuNahledVY(17);
    QCOMPARE(withholding.pages.produced, (QList<int>{17, 15}));
    QCOMPARE(withholding.preview.shown.at(1).pageLabel, u"Strana 1 z 4"_s);

    // Printing from a browsing preview prints the shown page and stays.
    Rig printing;
    printing.preview.script = {u"print"_s};
    printing.run.VyberTypuNahledVY(10);
    QCOMPARE(printing.printedTitles(), (QStringList{u"Strana 10"_s}));
    QCOMPARE(printing.pages.produced, (QList<int>{10}));
}

void TestPrintRun::browsingOffOrEmployeeCountShowsOnePage()
{
    Rig rig;
    rig.params.browse = false;
    rig.preview.script = {u"next"_s};
    rig.run.VyberTypuNahledVY(2);
    QCOMPARE(rig.pages.produced, (QList<int>{2}));
    QCOMPARE(rig.preview.shown.front().pageLabel, QString());

    Rig count;
    count.preview.script = {u"next"_s};
    count.run.VyberTypuNahledVY(6);
    QCOMPARE(count.pages.produced, (QList<int>{6}));
    QCOMPARE(count.preview.shown.front().statusLine, u"Budou vytištěny všechny stránky."_s);
}

void TestPrintRun::copies_data()
{
    QTest::addColumn<bool>("pk");
    QTest::addColumn<int>("kop");
    QTest::addColumn<int>("jobs");
    QTest::addColumn<int>("copiesPerJob");

    QTest::newRow("printer makes no copies") << false << 3 << 3 << 1;
    QTest::newRow("printer makes the copies") << true << 3 << 1 << 3;
    QTest::newRow("one copy") << false << 1 << 1 << 1;
    QTest::newRow("zero read as one") << false << 0 << 1 << 1;
}

void TestPrintRun::copies()
{
    QFETCH(bool, pk);
    QFETCH(int, kop);
    QFETCH(int, jobs);
    QFETCH(int, copiesPerJob);

    Rig rig;
    rig.params.printerCopies = pk;
    rig.params.copies = kop;
    rig.run.VyberTypuTiskVY(16);
    QCOMPARE(rig.output.jobs().size(), jobs);
    for (const RecordingPrintOutput::Job &j : rig.output.jobs())
        QCOMPARE(j, (RecordingPrintOutput::Job{u"Kancelář"_s, copiesPerJob, u"Strana 16"_s, 1, false}));
    QCOMPARE(rig.statusTexts, QStringList{u"Odesílám data do tiskárny ..."_s});

    // The preview's print button follows the same rule.
    Rig preview;
    preview.params.printerCopies = pk;
    preview.params.copies = kop;
    preview.preview.script = {u"print"_s};
    preview.run.VyberTypuNahledVY(6);
    QCOMPARE(preview.output.jobs().size(), jobs);
    QCOMPARE(preview.output.jobs().front().sheetCount, 3);
}

void TestPrintRun::failedPageReportedAndTheSetGoesOn()
{
    Rig rig;
    rig.params.pageSet = print::PageSetAll;
    rig.pages.failing = 2;
    rig.run.VyberTypuTiskVY(1);
    QCOMPARE(rig.pages.produced, (QList<int>{1, 2, 3, 4}));
    QCOMPARE(rig.printedTitles(), (QStringList{u"Strana 1"_s, u"Strana 3"_s, u"Strana 4"_s}));
    // The layout's reason on the line below the fixed text.
    QCOMPARE(rig.messages.texts(IMessages::Kind::Information),
             QStringList{u"Tisk se nepodařilo vytvořit.\n"_s + printtest::FakePages::failure(2)});

    // A printer that refuses the job gives its reason on the line below.
    Rig offline;
    offline.output.setFailing(true);
    offline.run.VyberTypuTiskVY(3);
    QCOMPARE(offline.messages.texts(IMessages::Kind::Information),
             QStringList{u"Tisk se nepodařilo vytvořit.\nTiskárna není připravena."_s});
}

void TestPrintRun::pdfWritesTheSetAsOneFile()
{
    Rig rig;
    rig.params.pageSet = print::PageSetOdd;
    rig.run.writePdf(16, u"/data/firma.pdf"_s);
    QCOMPARE(rig.pages.produced, (QList<int>{15, 17}));
    QCOMPARE(rig.output.jobs(),
             (QList<RecordingPrintOutput::Job>{
                 {u"/data/firma.pdf"_s, 1, u"Vyúčtování daně vybírané srážkou"_s, 2, true}}));

    Rig selected;
    selected.run.writePdf(6, u"a.pdf"_s);
    QCOMPARE(selected.output.jobs().front().sheetCount, 3);

    // No file when a page cannot be made or the file cannot be written.
    Rig failing;
    failing.params.pageSet = print::PageSetAll;
    failing.pages.failing = 18;
    QVERIFY(!failing.run.writePdf(15, u"b.pdf"_s));
    QVERIFY(failing.output.jobs().isEmpty());
    failing.pages.failing = -1;
    failing.output.setFailing(true);
    QVERIFY(!failing.run.writePdf(15, u"b.pdf"_s));
    QCOMPARE(failing.messages.texts(IMessages::Kind::Error),
             QStringList{u"Soubor PDF se nepodařilo uložit.\nTiskárna není připravena."_s});
}

void TestPrintRun::unexpectedFailuresKeepTheirReason_data()
{
    QTest::addColumn<bool>("pdf");
    QTest::addColumn<bool>("memory");
    QTest::addColumn<QString>("reason");
    const QString internal = u"Vnitřní chyba programu: index 7 out of range"_s;
    QTest::newRow("preview, memory") << false << true << u"Nedostatek paměti."_s;
    QTest::newRow("preview, library") << false << false << internal;
    QTest::newRow("pdf, memory") << true << true << u"Nedostatek paměti."_s;
    QTest::newRow("pdf, library") << true << false << internal;
}

// A failure that is not the program's own still tells support what it was.
void TestPrintRun::unexpectedFailuresKeepTheirReason()
{
    QFETCH(bool, pdf);
    QFETCH(bool, memory);
    QFETCH(QString, reason);
    Rig rig;
    rig.params.pageSet = print::PageSetAll;
    (memory ? rig.pages.exhausted : rig.pages.broken) = 3;
    if (pdf)
        QVERIFY(!rig.run.writePdf(3, u"c.pdf"_s));
    else
        rig.run.PickReport(1, 3);
    QVERIFY(rig.output.jobs().isEmpty());
    QCOMPARE(rig.messages.texts(IMessages::Kind::Information),
             QStringList{u"Tisk se nepodařilo vytvořit.\n"_s + reason});
}

void TestPrintRun::checksWarnBeforePrinting()
{
    Rig rig;
    QList<QList<statements::FilingPart>> asked;
    rig.run.checks = [&asked](const QList<statements::FilingPart> &parts) {
        asked.append(parts);
        return QList<statements::FilingIssue>{
            {statements::FilingPart::Company, u"Údaje o plátci: není vyplněno DIČ plátce."_s}};
    };
    rig.messages.addAnswer(IMessages::Answer::No);
    rig.run.VyberTypuTiskVY(9);
    QVERIFY(rig.output.jobs().isEmpty());
    QCOMPARE(rig.messages.texts(IMessages::Kind::Confirmation),
             QStringList{u"Finanční úřad by mohl vyúčtování vrátit:\n\n"
                         "Údaje o plátci: není vyplněno DIČ plátce.\n\nPřesto tisknout?"_s});
    QCOMPARE(asked, (QList<QList<statements::FilingPart>>{{statements::FilingPart::Corrections}}));

    rig.messages.addAnswer(IMessages::Answer::Yes);
    rig.run.VyberTypuTiskVY(9);
    QCOMPARE(rig.output.jobs().size(), 1);
    rig.messages.addAnswer(IMessages::Answer::Yes);
    rig.run.writePdf(17, u"c.pdf"_s);
    QCOMPARE(asked.back(), QList<statements::FilingPart>{statements::FilingPart::Withholding});
    QVERIFY(rig.messages.texts().back().endsWith(u"Přesto uložit do PDF?"_s));

    // The preview shows no warning.
    rig.run.VyberTypuNahledVY(9);
    QCOMPARE(rig.messages.answersLeft(), 0);
    QCOMPARE(asked.size(), 3);
}

void TestPrintRun::defaultPdfName()
{
    QCOMPARE(print::defaultPdfName(u"Stavby Novák s.r.o."_s, 2),
             u"Stavby Novák s.r.o. - Vyúčtování daně z příjmů ze závislé činnosti.pdf"_s);
    QCOMPARE(print::defaultPdfName(u"A/B: \"C\"  "_s, 13),
             u"A_B_ _C_ - Příloha k vyúčtování - opravy bonusu.pdf"_s);
    QCOMPARE(print::defaultPdfName(QString(), 6), u"Počet zaměstnanců.pdf"_s);
}

void TestPrintRun::settingsInIni()
{
    QTemporaryDir dir;
    platform::IniFile ini(dir.filePath(u"D1.ini"_s));
    print::PrintWindowSettings s = print::loadPrintSettings(ini);
    QVERIFY(!s.f6Prints);
    QVERIFY(s.defaultPrinter);
    QCOMPARE(print::loadWindowPosition(ini, 640), QPoint(28, 0));
    QCOMPARE(print::loadWindowPosition(ini, 1024), QPoint(108, 65));

    platform::PrinterState printers{{u"Laser"_s, u"Kancelář"_s}, 1};
    s.f6Prints = true;
    print::savePrintSettings(ini, s, printers);
    QCOMPARE(ini.readString(u"Tisk", u"Tisk"), u"1"_s);
    QCOMPARE(ini.readString(u"Tisk", u"Vychozi"), u"1"_s);
    // With the default printer chosen on opening, no own printer is kept.
    QVERIFY(ini.valueExists(u"Tisk", u"Tiskarna"));
    QCOMPARE(ini.readString(u"Tisk", u"Tiskarna"), QString());

    s.defaultPrinter = false;
    print::savePrintSettings(ini, s, printers);
    QCOMPARE(ini.readString(u"Tisk", u"Tiskarna"), u"Kancelář"_s);
    s = print::loadPrintSettings(ini);
    QVERIFY(s.f6Prints && !s.defaultPrinter);

    print::saveWindowPosition(ini, QPoint(30, 40));
    QCOMPARE(print::loadWindowPosition(ini, 1024), QPoint(30, 40));
}

void TestPrintRun::printerChoice()
{
    QTemporaryDir dir;
    platform::IniFile ini(dir.filePath(u"D1.ini"_s));
    platform::PrinterState printers{{u"Laser"_s, u"Kancelář"_s, u"Laser"_s, u"PDF"_s}, 3};

    // "Vychozi" 1: the current printer stays whatever "Tiskarna" says.
    ini.writeString(u"Tisk", u"Tiskarna", u"Kancelář");
    print::applyStoredPrinter(printers, ini, u"PDF"_s);
    QCOMPARE(printers.current, 3);

    ini.writeString(u"Tisk", u"Vychozi", u"0");
    print::applyStoredPrinter(printers, ini, u"PDF"_s);
    QCOMPARE(printers.current, 1);
    ini.writeString(u"Tisk", u"Tiskarna", u"Laser");
    print::applyStoredPrinter(printers, ini, u"PDF"_s);
    QCOMPARE(printers.current, 2); // the last of equal names
    ini.writeString(u"Tisk", u"Tiskarna", u"laser");
    print::applyStoredPrinter(printers, ini, u"PDF"_s);
    QCOMPARE(printers.current, 3); // gone (case counts): the system default

    print::choosePrinter(printers, 1, ini);
    QCOMPARE(printers.current, 1);
    QCOMPARE(ini.readString(u"Tisk", u"Tiskarna"), u"Kancelář"_s);
    print::choosePrinter(printers, 9, ini);
    QCOMPARE(printers.current, 1);

    // The set-up dialog reached a printer installed meanwhile as "name on
    // server": the stored entry of that name becomes current.
    print::afterPrinterSetup(printers, u"PDF on srv"_s,
                             {u"Laser"_s, u"Kancelář"_s, u"Laser"_s, u"PDF"_s, u"PDF on srv"_s}, ini);
    QCOMPARE(printers.current, 3);
    QCOMPARE(ini.readString(u"Tisk", u"Tiskarna"), u"PDF"_s);
    print::afterPrinterSetup(printers, u"Kancelář"_s, printers.names, ini);
    QCOMPARE(printers.current, 1);

    ini.writeString(u"Tisk", u"Vychozi", u"1");
    print::choosePrinter(printers, 0, ini);
    QCOMPARE(ini.readString(u"Tisk", u"Tiskarna"), u"Kancelář"_s); // not stored with "Vychozi" 1
}

QTEST_GUILESS_MAIN(TestPrintRun)
#include "test_print_run.moc"
