#include "DemoSettlement.h"

#include "ScriptedMessages.h"
#include "filing/TEpoForm.h"
#include "platform/IniFile.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using filingtest::DemoSettlement;
using platform::IMessages;
using platform::ScriptedMessages;

// The export window on the offscreen platform, its questions answered
// through the boxes and its messages through the scripted boxes.
class TestFilingWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportsWithoutQuestions();
    void asksWhatTheDataDoNotGiveAndRemembers();
    void refusedStatementListsTheComplaints();
    void checksWarnBeforeExport();
    void unclearSignatoryAskedInTheWindow();
    void criticalFindingRefusesTheFile();
    void defaultFolderExists();

private:
    static filing::TEpoForm::Context
    context(DemoSettlement &s, IMessages &messages, const QString &folder,
            std::function<QList<statements::FilingIssue>(filing::Form)> checks = {})
    {
        return {s.dm,
                messages,
                filing::FilingAnswers::iniPathOf(s.dir),
                u"D1"_s,
                folder,
                {u"Qesto"_s, u"14.10"_s},
                std::move(checks)};
    }
};

void TestFilingWindow::exportsWithoutQuestions()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    ScriptedMessages messages;
    filing::TEpoForm form(context(s, messages, root.path()));
    QVERIFY(form.employmentButton()->isChecked());
    QCOMPARE(form.officeCombo()->currentData().toInt(), 451);
    QCOMPARE(form.workplaceCombo()->currentData().toInt(), 2001);
    QCOMPARE(form.addressBox(0)->text(), u"Dlouhá"_s);
    QCOMPARE(form.addressBox(2)->text(), u"5a"_s);
    QCOMPARE(form.questionLabel()->text(), QString());
    const QString path = root.filePath(u"Stavby Novák s.r.o. - DPZVD6 2015.xml"_s);
    QCOMPARE(QDir::fromNativeSeparators(form.fileEdit()->text()), path);

    QTest::mouseClick(form.exportButton(), Qt::LeftButton);
    QCOMPARE(messages.texts(), QStringList{u"Soubor %1 byl vytvořen."_s.arg(form.fileEdit()->text())});
    QVERIFY(QFile::exists(path));
    QVERIFY(form.resultList()->item(0)->text().endsWith(u"byl vytvořen a odpovídá schématu DPZVD6."_s));

    // The other statement has its own file name; an existing file is
    // replaced only when the user agrees.
    form.withholdingButton()->setChecked(true);
    QVERIFY(form.fileEdit()->text().endsWith(u"Stavby Novák s.r.o. - DPSVD2 2015.xml"_s));
    form.fileEdit()->setText(path);
    messages.clear();
    messages.addAnswer(IMessages::Answer::No);
    QVERIFY(!form.exportFile());
    QCOMPARE(messages.texts().last(), u"Soubor %1 již existuje. Přepsat?"_s.arg(path));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("<DPZVD6 "));
}

void TestFilingWindow::asksWhatTheDataDoNotGiveAndRemembers()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    s.set(u"PrpMi"_s, u"náměstí Míru 1"_s);
    s.set(u"PrpFusp"_s, u"kraj"_s);
    s.set(u"PrpFu"_s, QString());
    s.postAll();
    ScriptedMessages messages;
    {
        filing::TEpoForm form(context(s, messages, root.path()));
        QCOMPARE(form.questionLabel()->text(),
                 u"Finanční úřad „kraj“ odpovídá více úřadům.\nV adrese „náměstí Míru 1“ chybí PSČ, obec.\n"
                 u"Vyberte finanční úřad a doplňte adresu; odpověď si program zapamatuje."_s);
        QCOMPARE(form.officeCombo()->currentData().toInt(), 0);
        QCOMPARE(form.addressBox(0)->text(), u"náměstí Míru"_s);
        QCOMPARE(form.addressBox(1)->text(), u"1"_s);
        QCOMPARE(form.addressBox(3)->text(), QString());

        QVERIFY(!form.exportFile());
        QCOMPARE(messages.texts(), QStringList{u"Vyberte finanční úřad, kterému je vyúčtování určeno."_s});

        form.officeCombo()->setCurrentIndex(form.officeCombo()->findData(451));
        QCOMPARE(form.workplaceCombo()->itemText(1), u"2001 – Územní pracoviště pro Prahu 1"_s);
        form.workplaceCombo()->setCurrentIndex(form.workplaceCombo()->findData(2002));
        QTest::keyClicks(form.addressBox(3), u"120 00"_s);
        QTest::keyClicks(form.addressBox(4), u"Praha 2"_s);
        messages.clear();
        QVERIFY(form.exportFile());
        QVERIFY(form.questionLabel()->text().isEmpty());
        form.reject();
    }
    const platform::IniFile ini(filing::FilingAnswers::iniPathOf(s.dir));
    QCOMPARE(ini.readString(u"ElektronickePodani", u"AdresaPsc"), u"12000"_s);
    QCOMPARE(ini.readInteger(u"ElektronickePodani", u"UradKod", 0), 451);
    QVERIFY(ini.valueExists(u"D1", u"ElektronickePodaniTop"));

    // The next time nothing is asked.
    filing::TEpoForm again(context(s, messages, root.path()));
    QCOMPARE(again.questionLabel()->text(), QString());
    QCOMPARE(again.officeCombo()->currentData().toInt(), 451);
    QCOMPARE(again.workplaceCombo()->currentData().toInt(), 2002);
    QCOMPARE(again.addressBox(4)->text(), u"Praha 2"_s);
}

void TestFilingWindow::refusedStatementListsTheComplaints()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    s.set(u"PrpDic"_s, u"CZABCDEFGH"_s);
    s.postAll();
    ScriptedMessages messages;
    filing::TEpoForm form(context(s, messages, root.path()));
    QVERIFY(!form.exportFile());
    QCOMPARE(
        messages.texts(IMessages::Kind::Error),
        QStringList{
            u"Soubor nebyl vytvořen: podání neodpovídá schématu DPZVD6.\nDůvody jsou vypsány v okně."_s});
    QCOMPARE(form.resultList()->count(), 2);
    QVERIFY(form.resultList()->item(1)->text().startsWith(u"Údaje o firmě, DIČ: hodnota „ABCDEFGH“"_s));
    QVERIFY(QDir(root.path()).entryList({u"*.xml"_s}).isEmpty());
}

void TestFilingWindow::checksWarnBeforeExport()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    ScriptedMessages messages({IMessages::Answer::No, IMessages::Answer::Yes});
    QList<filing::Form> asked;
    filing::TEpoForm form(context(s, messages, root.path(), [&asked](filing::Form f) {
        asked.append(f);
        return QList<statements::FilingIssue>{{statements::FilingPart::Employment,
                                               u"Vyúčtování: chybí počet zaměstnanců za 12. měsíc."_s,
                                               statements::Severity::Warning, u"program.pocet_mesicne"_s}};
    }));
    QCOMPARE(form.resultList()->item(0)->text(),
             u"Upozornění: Vyúčtování: chybí počet zaměstnanců za 12. měsíc."_s);
    QVERIFY(!form.exportFile());
    QCOMPARE(messages.texts().last(),
             u"Kontrola před podáním upozorňuje:\nVyúčtování: chybí počet zaměstnanců za "
             u"12. měsíc.\n\nPřesto vytvořit soubor?"_s);
    QVERIFY(QDir(root.path()).entryList({u"*.xml"_s}).isEmpty());
    QVERIFY(form.exportFile());
    QCOMPARE(QDir(root.path()).entryList({u"*.xml"_s}).size(), 1);
    QCOMPARE(asked.first(), filing::Form::Employment);
}

void TestFilingWindow::unclearSignatoryAskedInTheWindow()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill(filingtest::Payer::Natural);
    s.set(u"PrpKzs"_s, u"1"_s);
    s.set(u"PrpZjm"_s, u"Karel Dvořák"_s);
    s.set(u"PrpZde"_s, u"27082440"_s);
    s.postAll();
    ScriptedMessages messages;
    {
        filing::TEpoForm form(context(s, messages, root.path()));
        QVERIFY(form.signatoryCombo()->isVisibleTo(&form));
        QVERIFY(form.questionLabel()->text().contains(u"(Zde)"_s));
        // Not answered: nothing is written.
        QVERIFY(!form.exportFile());
        QCOMPARE(messages.texts(IMessages::Kind::Error).last(),
                 u"Vyberte, co znamená údaj „27082440“ podepisující osoby „Karel Dvořák“."_s);
        form.signatoryCombo()->setFocus();
        QTest::keyClick(form.signatoryCombo(), Qt::Key_Down); // "právnická osoba, údaj je její IČ"
        QTest::keyClick(form.signatoryCombo(), Qt::Key_Down); // "fyzická osoba, údaj je datum narození"
        QTest::keyClick(form.signatoryCombo(), Qt::Key_Down); // "… evidenční číslo osvědčení"
        QTest::keyClick(form.exportButton(), Qt::Key_Space);
        QCOMPARE(QDir(root.path()).entryList({u"*.xml"_s}).size(), 1);
    }
    // Remembered in the settlement's INI file like the office and address.
    const platform::IniFile ini(filing::FilingAnswers::iniPathOf(s.dir));
    QCOMPARE(ini.readString(u"ElektronickePodani"_s, u"PodepisujiciTyp"_s), u"E"_s);
    filing::TEpoForm again(context(s, messages, root.path()));
    QCOMPARE(again.signatoryCombo()->currentData().toInt(), int(statements::SignatoryKind::Certificate));
    QCOMPARE(again.questionLabel()->text(), QString());
}

// A finding the portal would refuse the filing for: listed as an error when
// the window opens; going on past the warnings writes no file and shows why.
void TestFilingWindow::criticalFindingRefusesTheFile()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    s.set(u"VdvlMv2"_s, u"březen a duben"_s);
    s.postAll();
    ScriptedMessages messages({IMessages::Answer::Yes});
    filing::TEpoForm form(context(s, messages, root.path(),
                                  [&s](filing::Form f) { return filing::filingChecks(s.dm, f, 2015); }));
    const QString error =
        u"Chyba: Vyúčtování daně z příjmů ze závislé činnosti: vrácení přeplatku (ř. 06), řádek 2, "
        u"sl. 1: „březen a duben“ uvádí více měsíců; uveďte na každý řádek jeden měsíc."_s;
    QList<QString> listed;
    for (int i = 0; i < form.resultList()->count(); ++i)
        listed.append(form.resultList()->item(i)->text());
    QVERIFY2(listed.contains(error), qPrintable(listed.join(u'\n')));

    QTest::keyClick(form.exportButton(), Qt::Key_Space);
    QVERIFY(QDir(root.path()).entryList({u"*.xml"_s}).isEmpty());
    QCOMPARE(messages.texts(IMessages::Kind::Error),
             QStringList{u"Soubor nebyl vytvořen: podání by bylo odmítnuto.\nDůvody jsou vypsány v okně."_s});
    QCOMPARE(form.resultList()->item(1)->text(), error.mid(7));
}

void TestFilingWindow::defaultFolderExists()
{
    QTemporaryDir root;
    DemoSettlement s(root.path());
    s.fill();
    ScriptedMessages messages;
    // A documents folder that is not there: the settlement's own folder.
    {
        filing::TEpoForm form(context(s, messages, root.filePath(u"Dokumenty"_s)));
        const QFileInfo file(form.fileEdit()->text());
        QVERIFY2(file.absoluteDir().exists(), qPrintable(form.fileEdit()->text()));
        QCOMPARE(file.absolutePath(), QFileInfo(s.dir).absoluteFilePath());
    }
    // Then the folder last written to.
    QVERIFY(QDir(root.path()).mkdir(u"podani"_s));
    {
        filing::TEpoForm form(context(s, messages, root.filePath(u"Dokumenty"_s)));
        form.fileEdit()->setText(root.filePath(u"podani/a.xml"_s));
        QVERIFY(form.exportFile());
    }
    filing::TEpoForm form(context(s, messages, root.filePath(u"Dokumenty"_s)));
    QCOMPARE(QFileInfo(form.fileEdit()->text()).absolutePath(), root.filePath(u"podani"_s));
}

QTEST_MAIN(TestFilingWindow)
#include "test_filing_window.moc"
