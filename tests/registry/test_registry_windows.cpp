// The settlement list windows driven by keys and clicks on the offscreen
// platform, with scripted message boxes.

#include "ModalDialogs.h"
#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "data/TableDefs.h"
#include "data/Templates.h"
#include "paradox/Table.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "registry/TAu2Form.h"
#include "registry/TAu3Form.h"
#include "registry/TAu4Form.h"
#include "registry/TAu5Form.h"
#include "registry/TAu6Form.h"
#include "registry/TAu9Form.h"
#include "registry/TAuto1Form.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;
using namespace registry;
using namespace registry::test;
using platform::IMessages;
using platform::ScriptedMessages;
using testsupport::whenModal;

namespace {

QPushButton *buttonIn(QWidget *window, const QString &caption)
{
    const QList<QPushButton *> buttons = window->findChildren<QPushButton *>();
    for (QPushButton *b : buttons) {
        if (b->text() == caption)
            return b;
    }
    return nullptr;
}

// The selection window as the program runs it, shown and waiting for input.
struct Selection
{
    // Owns the timers that wait for the test's dialogs.
    QObject watches;
    Root root;
    ScriptedMessages messages;
    TAu4Form prompt;
    SettlementList list{root.roots(), messages};
    std::unique_ptr<TAuto1Form> form;
    int result = -1;

    void show()
    {
        form = std::make_unique<TAuto1Form>(list, messages, prompt, u"Qesto 14.10"_s);
        QObject::connect(form.get(), &QDialog::finished, [this](int r) { result = r; });
        form->open();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void clickRow(int row)
    {
        QTableView *grid = form->grid();
        const QRect cell = grid->visualRect(grid->model()->index(row, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void click(const QString &caption) { QTest::mouseClick(form->button(caption), Qt::LeftButton); }
};

} // namespace

class TestRegistryWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionAndKonec()
    {
        Selection s;
        s.root.addSettlement(1, u"Alfa"_s, 1);
        s.show();
        QCOMPARE(s.form->windowTitle(), u"Qesto 14.10 - výběr"_s);
        QTest::keyClick(s.form.get(), Qt::Key_Escape);
        QVERIFY(s.form->isVisible());
        s.click(u"&Konec"_s);
        QCOMPARE(s.result, int(TAuto1Form::Konec));
    }

    void keysOfTheList()
    {
        Selection s;
        s.show();
        s.form->setInfoSource([] {
            InfoPaths paths;
            paths.DataDir = u"D:\\Data\\"_s;
            paths.dataIniNamed = true;
            return paths;
        });
        whenModal<TAu9Form>(&s.watches, [](TAu9Form *d) {
            QStringList texts;
            for (const QLabel *label : d->findChildren<QLabel *>())
                texts.append(label->text());
            QVERIFY(texts.contains(u"DataDir:"_s));
            QVERIFY(texts.contains(u"D:\\Data\\"_s));
            QVERIFY(texts.contains(u"INI"_s));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QTest::keyClick(s.form.get(), Qt::Key_I, Qt::ControlModifier);
        QVERIFY(s.form->isVisible());

        // With an empty list Ctrl+P asks for the conversion at the next start
        // and ends the program.
        s.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        QTest::keyClick(s.form.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(s.messages.texts(), QStringList{u"Změny se projeví při novém spuštění programu."_s});
        QCOMPARE(s.result, int(TAuto1Form::Konec));
    }

    // Enter presses the focused button; in the grid it opens the selected
    // settlement; "&Otevřít" on an empty list says there is nothing to open.
    void enterOnTheList()
    {
        Selection s;
        s.show();
        QCOMPARE(QApplication::focusWidget(), s.form->button(u"&Nové"_s));
        bool asked = false;
        whenModal<TAu2Form>(&s.watches, [&asked](TAu2Form *d) {
            asked = true;
            QTest::mouseClick(d->closeButton(), Qt::LeftButton);
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(asked);
        QVERIFY(s.form->isVisible());
        QCOMPARE(s.result, -1);

        s.click(u"&Otevřít"_s);
        QCOMPARE(s.messages.texts(IMessages::Kind::Information),
                 QStringList{u"Není k dispozici žádné Qesto. Spusťte akci nové Qesto."_s});
        QVERIFY(s.form->isVisible());
        QCOMPARE(s.result, -1);
        s.form->close(); // the title bar button counts as "&Otevřít"
        QVERIFY(s.form->isVisible());
        QCOMPARE(s.messages.shown().size(), 2);
        s.click(u"&Konec"_s);
        QCOMPARE(s.result, int(TAuto1Form::Konec));

        Selection two;
        two.root.addSettlement(1, u"Alfa"_s, 1);
        two.root.addSettlement(2, u"Beta"_s, 2);
        two.show();
        two.clickRow(1);
        QTest::keyClick(two.form->grid(), Qt::Key_Return);
        QCOMPARE(two.result, int(TAuto1Form::Otevrit));
        QCOMPARE(two.list.current()->Nazev, u"Beta"_s);
    }

    void cancelledNewLeavesNothing()
    {
        Selection s;
        s.root.addSettlement(1, u"Alfa"_s, 1);
        s.root.addSettlement(2, u"Beta"_s, 2);
        s.show();
        s.form->orderingActions().at(2)->trigger();
        whenModal<TAu2Form>(&s.watches, [](TAu2Form *d) {
            QTest::keyClicks(d->nameEdit(), u"Zrusena"_s);
            QTest::mouseClick(d->closeButton(), Qt::LeftButton);
        });
        s.click(u"&Nové"_s);
        QVERIFY(s.form->isVisible());
        QCOMPARE(s.list.razeni(), Razeni::PodleNazvu);
        QVERIFY(s.form->orderingActions().at(2)->isChecked());
        s.list.reopen();
        QCOMPARE(numbers(s.list), (QList<int>{1, 2}));
        QVERIFY(!platform::FileOps::dirExists(s.root.fileDir + u"D3"_s));
        QVERIFY(s.messages.shown().isEmpty());
    }

    void newTakesFreeNumberBesideSelected()
    {
        Selection s;
        s.root.addSettlement(1, u"Alfa"_s, 3);
        s.root.addSettlement(2, u"Beta"_s, 2);
        s.root.addSettlement(4, u"Delta"_s, 1);
        s.show();
        s.form->orderingActions().at(0)->trigger();
        QCOMPARE(numbers(s.list), (QList<int>{4, 2, 1}));
        s.clickRow(1);
        QCOMPARE(s.list.current()->Cislo, 2);

        s.messages.addAnswer(IMessages::Answer::No);
        s.messages.addAnswer(IMessages::Answer::Yes);
        whenModal<TAu2Form>(&s.watches, [](TAu2Form *d) {
            QTest::keyClicks(d->nameEdit(), u"Gama"_s);
            // Enter moves on to "&Qesto" without creating anything.
            QTest::keyClick(d->nameEdit(), Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), d->createButton());
            QVERIFY(d->isVisible());
            // The first answer is No: the window stays, buttons usable.
            QTest::mouseClick(d->createButton(), Qt::LeftButton);
            QVERIFY(d->isVisible());
            QVERIFY(d->createButton()->isEnabled() && d->closeButton()->isEnabled());
            QTest::mouseClick(d->createButton(), Qt::LeftButton);
        });
        s.click(u"&Nové"_s);
        QCOMPARE(s.result, int(TAuto1Form::Otevrit));
        QCOMPARE(s.messages.texts(), QStringList(2, u"Opravdu chcete vytvořit Qesto Gama ?"_s));
        const auto created = s.list.current();
        QVERIFY(created);
        QCOMPARE(created->Cislo, 3);
        QCOMPARE(created->Adresar, u"D3"_s);
        QCOMPARE(created->Pozice, 2);
        QCOMPARE(s.list.razeni(), Razeni::Vlastni);
        QCOMPARE(numbers(s.list), (QList<int>{4, 2, 3, 1}));
        QVERIFY(platform::FileOps::fileExists(s.root.fileDir + u"D3/Vvdp.DB"_s));
        const platform::IniFile local(s.root.local + u"Qesto.ini"_s);
        QCOMPARE(local.readInteger(u"Vyber", u"Cislo", 0), 3);
    }

    void deleteAsksTwice()
    {
        Selection s;
        s.root.addSettlement(1, u"Alfa"_s, 1);
        s.root.addSettlement(2, u"Beta"_s, 2);
        s.show();
        s.clickRow(1);
        s.messages.addAnswer(IMessages::Answer::Yes);
        s.messages.addAnswer(IMessages::Answer::No);
        s.click(u"&Smazat"_s);
        QCOMPARE(s.form->grid()->model()->rowCount(), 2);
        s.messages.addAnswer(IMessages::Answer::Yes);
        s.messages.addAnswer(IMessages::Answer::Yes);
        s.click(u"&Smazat"_s);
        QCOMPARE(s.messages.texts(IMessages::Kind::Confirmation),
                 QStringList(4, u"Opravdu smazat Qesto Beta ?"_s));
        QCOMPARE(s.form->grid()->model()->rowCount(), 1);
        QVERIFY(!platform::FileOps::dirExists(s.root.fileDir + u"D2"_s));
        QVERIFY(platform::FileOps::dirExists(s.root.fileDir + u"D1"_s));
    }

    void passwordRefusesOtherCase()
    {
        Selection s;
        s.root.addSettlement(1, u"Tajná"_s, 1);
        s.show();
        s.messages.addAnswer(IMessages::Answer::Yes);
        whenModal<TAu3Form>(&s.watches, [](TAu3Form *d) {
            QVERIFY(d->adding());
            QVERIFY(!d->secondEdit()->isVisible());
            QTest::keyClicks(d->firstEdit(), u"Abc"_s);
            QTest::mouseClick(d->actionButton(), Qt::LeftButton);
        });
        s.click(u"&Heslo"_s);
        QCOMPARE(s.messages.texts().last(), u"Heslo bylo přidáno."_s);

        // Changing needs the old password; Enter and Shift+Enter walk the boxes.
        whenModal<TAu3Form>(&s.watches, [](TAu3Form *d) {
            QVERIFY(!d->adding());
            QCOMPARE(d->actionButton()->text(), u"&Změnit"_s);
            d->firstEdit()->setFocus();
            QTest::keyClicks(d->firstEdit(), u"abc"_s);
            QTest::keyClick(d->firstEdit(), Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), d->secondEdit());
            QTest::keyClick(d->secondEdit(), Qt::Key_Return, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), d->firstEdit());
            QTest::mouseClick(d->actionButton(), Qt::LeftButton);
            QVERIFY(d->isVisible());
            QCOMPARE(QApplication::focusWidget(), d->firstEdit());
            QTest::mouseClick(buttonIn(d, u"&Zavřít"_s), Qt::LeftButton);
        });
        s.click(u"&Heslo"_s);
        QCOMPARE(s.messages.texts().last(), u"Neplatné heslo."_s);
        QCOMPARE(s.list.password(1), u"Abc"_s);

        whenModal<TAu4Form>(&s.watches, [](TAu4Form *d) {
            QTest::keyClicks(d->passwordEdit(), u"abc"_s);
            QTest::keyClick(d->passwordEdit(), Qt::Key_Return);
        });
        s.click(u"&Otevřít"_s);
        QVERIFY(s.form->isVisible());
        QCOMPARE(s.messages.texts().last(), u"Neplatné heslo pro toto Qesto."_s);
        QVERIFY(s.prompt.passwordEdit()->text().isEmpty());

        whenModal<TAu4Form>(&s.watches, [](TAu4Form *d) {
            QTest::keyClicks(d->passwordEdit(), u"Abc"_s);
            QTest::keyClick(d->passwordEdit(), Qt::Key_Return);
        });
        s.click(u"&Otevřít"_s);
        QCOMPARE(s.result, int(TAuto1Form::Otevrit));
    }

    void inUseByAnotherProcess()
    {
        Selection s;
        s.root.addSettlement(1, u"Sdílená"_s, 1);
        QProcess holder;
        holder.start(QStringLiteral(LOCKHOLDER_PATH),
                     {u"hold"_s, s.root.fileDir + u"D1/Vvdp.DB"_s, u"shared"_s});
        QVERIFY(holder.waitForReadyRead(10000));
        s.show();
        // A double click opens; the view wants the press of the first click too.
        const QPoint cell = s.form->grid()->visualRect(s.form->grid()->model()->index(0, 0)).center();
        QTest::mouseClick(s.form->grid()->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(s.form->grid()->viewport(), Qt::LeftButton, {}, cell);
        QVERIFY(s.form->isVisible());
        QCOMPARE(s.messages.texts(), QStringList{u"Toto Qesto právě zpracovává jiný uživatel."_s});
        holder.write("\n");
        QVERIFY(holder.waitForFinished(10000));
        s.click(u"&Otevřít"_s);
        QCOMPARE(s.result, int(TAuto1Form::Otevrit));
    }

    void positionsWindowStoresOrder()
    {
        Selection s;
        s.root.addSettlement(1, u"A"_s, 1);
        s.root.addSettlement(2, u"B"_s, 2);
        s.root.addSettlement(3, u"C"_s, 3);
        s.show();
        whenModal<TAu6Form>(&s.watches, [](TAu6Form *d) {
            QCOMPARE(d->listWidget()->count(), 3);
            d->listWidget()->setCurrentRow(0);
            QTest::mouseClick(buttonIn(d, u"P&oslední"_s), Qt::LeftButton);
            QCOMPARE(d->listWidget()->currentItem()->text(), u"1 A"_s);
            QTest::mouseClick(buttonIn(d, u"&Zavřít"_s), Qt::LeftButton);
        });
        s.form->positionsAction()->trigger();
        QCOMPARE(numbers(s.list), (QList<int>{2, 3, 1}));
        QVERIFY(s.form->orderingActions().at(0)->isChecked());
        SettlementList reread(s.root.roots(), s.messages);
        reread.attach();
        reread.setRazeni(Razeni::Vlastni, false);
        QCOMPARE(numbers(reread), (QList<int>{2, 3, 1}));
    }

    void dataChoiceFallsBack()
    {
        Selection s;
        s.root.addSettlement(1, u"Místní"_s, 1);
        s.show();
        const QString missing = s.root.dir.path() + u"/net/QESTO215/"_s;
        whenModal<TAu5Form>(&s.watches, [missing](TAu5Form *d) {
            QVERIFY(d->localButton()->isChecked());
            QCOMPARE(d->directoryEdit()->text(), u"QESTO215"_s);
            QTest::mouseClick(d->networkButton(), Qt::LeftButton);
            d->pathEdit()->setText(missing + u"Data.DB"_s);
            QTest::mouseClick(buttonIn(d, u"&OK"_s), Qt::LeftButton);
        });
        QTest::keyClick(s.form.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(
            s.messages.texts(IMessages::Kind::Error),
            QStringList{u"Adresář "_s + missing + u"\nneexistuje, nebo není dostupný na síťové jednotce."_s});
        const platform::IniFile local(s.root.local + u"Qesto.ini"_s);
        QCOMPARE(local.readString(u"Qesto", u"Net"), u"1"_s);
        QCOMPARE(local.readString(u"Qesto", u"Path"), missing);
        QCOMPARE(s.root.fileDir, s.root.local);
        QCOMPARE(s.form->grid()->model()->rowCount(), 1);
    }

    // The guide is looked for where the program's files are; a click on the
    // link when it is not there says where it was expected.
    void guideLinkSaysWhenTheGuideIsMissing()
    {
        Selection s;
        s.show();
        const QString missing = s.root.dir.filePath(u"Navod k instalaci.pdf"_s);
        QString defaultGuide;
        whenModal<TAu5Form>(&s.watches, [&](TAu5Form *d) {
            defaultGuide = d->guideUrl().toLocalFile();
            d->setGuideUrl(QUrl::fromLocalFile(missing));
            QLabel *link = nullptr;
            for (QLabel *label : d->findChildren<QLabel *>()) {
                if (label->text().contains(u"Přečtěte si Návod k instalaci (PDF)"_s))
                    link = label;
            }
            QVERIFY(link);
            const QPoint onText(link->fontMetrics().horizontalAdvance(u"Přečtěte"_s) / 2 + link->margin(),
                                link->height() / 2);
            QTest::mouseClick(link, Qt::LeftButton, {}, onText);
            QTest::mouseClick(buttonIn(d, u"&OK"_s), Qt::LeftButton);
        });
        QTest::keyClick(s.form.get(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(defaultGuide.endsWith(u"/Navod k instalaci.pdf"_s));
        QCOMPARE(s.messages.texts(IMessages::Kind::Error),
                 QStringList{u"Návod k instalaci nebyl nalezen:\n"_s + QDir::toNativeSeparators(missing)});
    }
};

QTEST_MAIN(TestRegistryWindows)
#include "test_registry_windows.moc"
