// qesto-cli pdf end to end: the PDF it writes, read back as text, holds the
// form titles and the filled values (fonts embedded, text selectable).
#include "demo_settlement.h"
#include "print/FormPages.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPrintPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeSettlement();
    void chosenPages();
    void refusesUnknownPage();
    void unwritableTargetFailsWithoutAFile();
    void editedLayoutNamingAnUnknownField_data();
    void editedLayoutNamingAnUnknownField();

private:
    QString pdfText(const QString &pdf);
    QTemporaryDir m_root;
    QString m_dir;
    QString m_pdftotext;
};

void TestPrintPdf::initTestCase()
{
    QVERIFY(m_root.isValid());
    data::TDM1 dm{data::Collaborators::tablesOnly()};
    m_dir = printtest::openDemo(dm, m_root.path());
    dm.Disconnect();
    m_pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
}

QString TestPrintPdf::pdfText(const QString &pdf)
{
    QProcess p;
    p.start(m_pdftotext, {u"-layout"_s, pdf, u"-"_s});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

static int runCli(const QStringList &args, QByteArray *err = nullptr, const QString &layouts = {})
{
    QProcess p;
    if (!layouts.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QESTO_LAYOUTS"_s, layouts);
        p.setProcessEnvironment(env);
    }
    p.start(QStringLiteral(QESTO_CLI_PROGRAM), args);
    if (!p.waitForFinished(60000))
        return -1;
    if (err)
        *err = p.readAllStandardError();
    return p.exitCode();
}

void TestPrintPdf::wholeSettlement()
{
    const QString out = m_root.filePath(u"vse.pdf"_s);
    QByteArray err;
    QCOMPARE(runCli({u"pdf"_s, m_dir, out}, &err), 0);
    // No filler row of the employee count is left behind.
    {
        data::TDM1 dm{data::Collaborators::tablesOnly()};
        dm.DM1Create(m_root.path());
        dm.setDatabasePath(m_dir);
        dm.OtevritTabulky();
        QCOMPARE(dm.Vpz().recordCount(), 3);
        dm.Disconnect();
    }
    QVERIFY2(QFileInfo(out).size() > 1000, err.constData());
    if (m_pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed; the PDF was written but not read back");
    const QString text = pdfText(out);
    QVERIFY(text.contains(u"ČÁST I."_s));
    QVERIFY(text.contains(u"MFin 5459"_s));
    QVERIFY(text.contains(u"MFin 5466"_s));
    QVERIFY(text.contains(u"VYÚČTOVÁNÍ"_s));
    QVERIFY(text.contains(u"daně z příjmů ze závislé činnosti"_s));
    QVERIFY(text.contains(u"Jihomoravský kraj"_s));
    QVERIFY(text.contains(u"PROHLAŠUJI"_s));
    QVERIFY(text.contains(u"PŘÍLOHA K VYÚČTOVÁNÍ"_s));
    QVERIFY(text.contains(u"20.04.2015"_s)); // a correction row of the annex
    // The employee count, numbered into sheets for the print and cleared again.
    QVERIFY(text.contains(u"POČET ZAMĚSTNANCŮ"_s));
    QVERIFY(text.contains(u"Sídlo společnosti"_s));
    QCOMPARE(text.count(u'\f'), 14); // every printable page, one sheet each
    // Monthly amounts of the employment statement and their total.
    QVERIFY2(text.contains(u"41350"_s), qPrintable(text.left(2000)));
    QVERIFY(text.contains(u"123/15/4567"_s));
    QVERIFY(text.contains(u"77/2015"_s));
    // The withholding total remitted, on page 18.
    QVERIFY(text.contains(u"18780"_s));
}

void TestPrintPdf::chosenPages()
{
    if (m_pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString out = m_root.filePath(u"strana2.pdf"_s);
    QCOMPARE(runCli({u"pdf"_s, m_dir, out, u"2"_s}), 0);
    const QString text = pdfText(out);
    QCOMPARE(text.count(u'\f'), 1); // one page
    QVERIFY(text.contains(u"prosinec"_s));
}

void TestPrintPdf::refusesUnknownPage()
{
    QByteArray err;
    QCOMPARE(runCli({u"pdf"_s, m_dir, m_root.filePath(u"x.pdf"_s), u"5"_s}, &err), 2);
    QVERIFY(QString::fromUtf8(err).contains(u"Strana 5 se netiskne"_s));
    QVERIFY(!QFile::exists(m_root.filePath(u"x.pdf"_s)));
}

void TestPrintPdf::unwritableTargetFailsWithoutAFile()
{
    // A folder that is not there stands for any target the system refuses
    // (a full disk is tried by scripts/full-disk.sh): never "written".
    const QString out = m_root.filePath(u"Chybi/x.pdf"_s);
    QByteArray err;
    QCOMPARE(runCli({u"pdf"_s, m_dir, out, u"2"_s}, &err), 2);
    const QString message = QString::fromUtf8(err);
    QVERIFY2(message.contains(u"x.pdf"_s) && message.contains(u"neexistuje"_s), err.constData());
    QVERIFY(!message.contains(u"zapsáno"_s));
    QVERIFY(!QFileInfo::exists(m_root.filePath(u"Chybi"_s)));
}

QTEST_MAIN(TestPrintPdf)
void TestPrintPdf::editedLayoutNamingAnUnknownField_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("reported");

    QTest::newRow("field") << u" Vdvl.Sl21 "_s << u" Vdvl.Sl2l "_s
                           << u"(řádek 40): pole \"Vdvl.Sl2l\" neznám"_s;
    QTest::newRow("table") << u" Vdvl.Sl31 "_s << u" Vdlv.Sl31 "_s
                           << u"(řádek 41): pole \"Vdlv.Sl31\" neznám"_s;
}

// A layout folder given through QESTO_LAYOUTS is checked as the built-in
// layouts are: the first unknown name stops the run with the file and line,
// and nothing is written; the pages it lacks keep their built-in layout.
void TestPrintPdf::editedLayoutNamingAnUnknownField()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, reported);
    QFile builtIn(print::layoutPath(2));
    QVERIFY(builtIn.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(builtIn.readAll());
    QVERIFY(text.contains(from));
    text.replace(from, to);

    QTemporaryDir layouts;
    QFile edited(layouts.filePath(builtIn.fileName().section(u'/', -1)));
    QVERIFY(edited.open(QIODevice::WriteOnly));
    edited.write(text.toUtf8());
    edited.close();

    const QString out = m_root.filePath(u"upravena.pdf"_s);
    QByteArray err;
    QCOMPARE(runCli({u"pdf"_s, m_dir, out, u"1"_s, u"2"_s}, &err, layouts.path()), 2);
    const QString message = QString::fromUtf8(err);
    QVERIFY2(message.contains(u"\"rdpv2.layout\""_s) && message.contains(reported), err.constData());
    QVERIFY(!QFile::exists(out));
    QCOMPARE(runCli({u"pdf"_s, m_dir, out, u"1"_s}, &err, layouts.path()), 0);
    QVERIFY(QFile::exists(out));
    QVERIFY(QFile::remove(out));
}

#include "test_print_pdf.moc"
