// The company data editor "Údaje o firmě" on the offscreen platform: every
// box with its field, hint and length in tab order, the copies onto the
// withholding statement's heading, the calendar, the check box captions, the
// page keys and seams, posting on "&OK" and on closing, and the one
// description of boxes it shares with qesto-cli set.

#include "../statements/EditorFixture.h"
#include "company/TEprpForm.h"
#include "data/DataError.h"
#include "data/Dataset.h"
#include "platform/IniFile.h"
#include "statements/FormInput.h"
#include "statements/TableLayouts.h"
#include "widgets/Editz.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

using namespace Qt::StringLiterals;
using company::TEprpForm;
using platform::IMessages;
using widgets::TDBCheckBoxz;
using widgets::TDBEditz;

namespace {

struct Expected
{
    int page;
    const char16_t *field;
    const char16_t *hint;
    int maxLen; // 0: the field's own size
};

// The boxes of each page in their tab order.
QList<Expected> expectedBoxes()
{
    QList<Expected> boxes = {
        {0, u"Rok", u"Rok", 4},
        {0, u"Zdo", u"Zaškrtnuto - za zdaňovací období, nezaškrtnuto - za část zdaňovacího období", 0},
        {0, u"Dz", u"Zdaňovací období od - do", 0},
        {0, u"Dk", u"Zdaňovací období od - do", 0},
        {0, u"Dpdr1", u"Typ vyúčtování (F1)", 0},
        {0, u"Dpdo1", u"Typ vyúčtování (F1)", 0},
        {0, u"Dpdd1", u"Typ vyúčtování (F1)", 0},
        {0, u"Dopd", u"Důvody pro podání dodatečného vyúčtování zjištěny dne (F1)", 25},
        {0, u"Dic", u"DIČ", 15},
        {0, u"Kod", u"Kód rozlišení vyúčtování (F1)", 2},
        {0, u"Dvo", u"Kód rozlišení vyúčtování - datum (F1)", 0},
        {0, u"Fusp", u"Finančnímu úřadu pro / Specializovanému finančnímu úřadu (F1)", 35},
        {0, u"Fu", u"Územní pracoviště v, ve, pro (F1)", 25},
        {0, u"Prk", u"Fyzická osoba - příjmení", 16},
        {0, u"Jmd", u"Fyzická osoba - jméno(-a)", 14},
        {0, u"Tiv", u"Fyzická osoba - titul", 4},
        {0, u"Ojv", u"Právnická osoba - název právnické osoby, právní forma", 35},
        {0, u"Ojva", u"Právnická osoba - název právnické osoby, právní forma", 35},
        {0, u"Npd", u"Formulář - Počet zaměstnanců - název plátce daně", 35},
        {0, u"Mi", u"Adresa místa pobytu nebo sídlo", 35},
    };
    for (const char16_t *month :
         {u"Z1", u"Z2", u"Z3", u"Z4", u"Z5", u"Z6", u"Z7", u"Z8", u"Z9", u"Z10", u"Z11", u"Z12"})
        boxes.append({1, month, u"Nápověda (F1)", 0});
    boxes += QList<Expected>{
        {1, u"Kzs", u"Kód podepisující osoby (F1)", 33},
        {1, u"Zjm", u"Jméno(-a) a příjmení / Název právnické osoby (F1)", 33},
        {1, u"Zde", u"Datum narození / Evidenční číslo osvědčení daň. poradce / IČ právnické osoby (F1)", 33},
        {1, u"Zjv", u"Jméno(-a) a příjmení / Vztah k právnické osobě (F1)", 33},
        {1, u"Ses", u"Kontaktní osoba", 18},
        {1, u"Tel", u"Telefon", 11},
        {1, u"Dv", u"Vystaveno dne", 0},
        {1, u"Emlv", u"E-mail", 33},
        {1, u"Op", u"Počet příloh k vyúčtování", 0},
        {2, u"Pfo", u"Zaškrtnuto - fyzických osob, nezaškrtnuto - právnických osob", 0},
        {2, u"Dpdr2", u"Typ vyúčtování (F1)", 0},
        {2, u"Dpdo2", u"Typ vyúčtování (F1)", 0},
        {2, u"Dpdd2", u"Typ vyúčtování (F1)", 0},
        {2, u"Dops", u"Důvody pro podání dodatečného vyúčtování zjištěny dne (F1)", 25},
        {2, u"Prks", u"Fyzická osoba - příjmení", 16},
        {2, u"Jmds", u"Fyzická osoba - jméno(-a)", 14},
        {2, u"Ti", u"Fyzická osoba - titul", 4},
        {2, u"Ojs", u"Právnická osoba - název právnické osoby, právní forma (ř. 1)", 35},
        {2, u"Ojsb", u"Právnická osoba - název právnické osoby, právní forma (ř. 2)", 35},
        {2, u"Adrb", u"Adresa místa pobytu nebo sídlo", 35},
        {2, u"Lhp", u"Lhůta pro podání daňového přiznání v průběhu zdaňovacího období", 11},
        {2, u"Vses", u"Kontaktní osoba", 35},
        {2, u"Telx", u"Telefon", 9},
        {2, u"Emlx", u"E-mail", 35},
        {2, u"Dvs", u"Vystaveno dne", 11},
        {2, u"Ops", u"Počet příloh k vyúčtování daně vybírané srážkou", 0},
        {3, u"Kzsa", u"Kód podepisující osoby (F1)", 33},
        {3, u"Zjms", u"Jméno(-a) a příjmení / Název právnické osoby (F1)", 33},
        {3, u"Zdes", u"Datum narození / Evidenční číslo osvědčení daň. poradce / IČ právnické osoby (F1)",
         33},
        {3, u"Zjvs", u"Jméno(-a) a příjmení / Vztah k právnické osobě (F1)", 33},
    };
    return boxes;
}

} // namespace

class TestCompanyEditor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<editortest::Settlement> s;
    std::unique_ptr<TEprpForm> form;

    // One settlement for all the cases; each starts from an empty record.
    void open()
    {
        if (!s)
            s = std::make_unique<editortest::Settlement>();
        data::Dataset &prp = s->dm.Prp();
        prp.beforePost = nullptr;
        prp.edit();
        for (int i = 0; i < prp.fieldCount(); ++i) {
            if (!prp.field(i)->isCalculated() && !prp.field(i)->isReadOnly())
                prp.field(i)->clear();
        }
        prp.post();
        s->messages.clear();
        s->picker = {};
        // As the main window opens it: the record read afresh and in edit mode.
        prp.refresh();
        prp.edit();
        form = std::make_unique<TEprpForm>(s->dm, s->messages, s->ini());
        QVERIFY(editortest::showActive(form.get()));
    }

    QString prp(const QString &field) const { return s->field(u"Prp"_s + field).asString(); }

private Q_SLOTS:
    void cleanup()
    {
        form.reset();
        QCOMPARE(s->messages.answersLeft(), 0);
    }

    void cleanupTestCase() { s.reset(); }

    void everyBoxBoundWithHintLengthAndTabOrder()
    {
        open();
        const QList<Expected> expected = expectedBoxes();
        QList<QList<QWidget *>> tabOrder(TEprpForm::PageCount);
        for (const Expected &e : expected) {
            const QString field = QString::fromUtf16(e.field);
            QWidget *w = form->control(field);
            QVERIFY2(w, qPrintable(field));
            data::Field *bound = nullptr;
            if (auto *edit = qobject_cast<TDBEditz *>(w)) {
                QCOMPARE(edit->objectName(), u"DBEdit"_s + field);
                bound = edit->field();
                QVERIFY(bound);
                const int size = bound->size() > 0 ? bound->size() : 32767;
                QCOMPARE(edit->maxLength(), e.maxLen ? e.maxLen : size);
                QVERIFY(!edit->isReadOnly());
            } else {
                auto *check = qobject_cast<TDBCheckBoxz *>(w);
                QVERIFY2(check, qPrintable(field));
                QCOMPARE(check->objectName(), u"DBCheckBox"_s + field);
                bound = check->field();
            }
            QVERIFY(bound);
            QCOMPARE(bound->fieldName().toLower(), field.toLower());
            QCOMPARE(bound->dataset(), &s->dm.Prp());
            QCOMPARE(w->toolTip(), QString::fromUtf16(e.hint));
            QCOMPARE(form->pages()->indexOf(w->parentWidget()), e.page);
            tabOrder[e.page].append(w);
        }
        // Tab runs through each page's boxes in the listed order.
        for (int page = 0; page < TEprpForm::PageCount; ++page) {
            QCOMPARE(form->pageControls(page), tabOrder[page]);
            for (qsizetype i = 0; i + 1 < tabOrder[page].size(); ++i) {
                QWidget *next = tabOrder[page][i]->nextInFocusChain();
                while (next->focusPolicy() == Qt::NoFocus || !tabOrder[page].contains(next))
                    next = next->nextInFocusChain();
                QCOMPARE(next, tabOrder[page][i + 1]);
            }
        }
        QCOMPARE(form->windowTitle(), u"Údaje o firmě"_s);
        QCOMPARE(form->pages()->tabText(3), u"Stránka 4"_s);
    }

    void copiesAskAndKeepWhatFits()
    {
        open();
        // An empty telephone: the question shows nothing between the colon
        // and " ?", and Yes empties Telx.
        s->field(u"PrpTelx"_s).setAsString(u"777"_s);
        form->showPage(2);
        s->messages.addAnswer(IMessages::Answer::Yes);
        QTest::keyClick(form->edit(u"Telx"_s), Qt::Key_F7, Qt::ShiftModifier);
        QCOMPARE(s->messages.texts(IMessages::Kind::Confirmation),
                 QStringList{u"Opravdu chcete přenést telefon:  ?"_s});
        QVERIFY(s->field(u"PrpTelx"_s).isNull());

        // Eleven digits into nine.
        s->field(u"PrpTel"_s).setAsString(u"60212345678"_s);
        s->messages.addAnswer(IMessages::Answer::Yes);
        QTest::mouseClick(form->copyLabel(u"Telx"_s), Qt::LeftButton);
        QCOMPARE(s->messages.texts(IMessages::Kind::Confirmation).last(),
                 u"Opravdu chcete přenést telefon: 60212345678 ?"_s);
        QCOMPARE(prp(u"Telx"_s), u"602123456"_s);
        QCOMPARE(form->edit(u"Telx"_s)->text(), u"602123456"_s);

        // No leaves the target alone.
        s->field(u"PrpOjv"_s).setAsString(u"Stavby Novák s.r.o."_s);
        s->messages.addAnswer(IMessages::Answer::No);
        form->copyInto(u"Ojs"_s);
        QCOMPARE(s->messages.texts(IMessages::Kind::Confirmation).last(),
                 u"Opravdu chcete přenést název právnické osoby ř. 1: Stavby Novák s.r.o. ?"_s);
        QVERIFY(s->field(u"PrpOjs"_s).isNull());

        // Every target of the last two pages has its ">>"; no other box has one.
        for (const char16_t *target : {u"Prks", u"Jmds", u"Ti", u"Ojs", u"Ojsb", u"Adrb", u"Vses", u"Telx",
                                       u"Emlx", u"Kzsa", u"Zjms", u"Zdes", u"Zjvs"}) {
            QLabel *label = form->copyLabel(QString::fromUtf16(target));
            QVERIFY(label);
            QCOMPARE(label->text(), u">>"_s);
            QCOMPARE(label->toolTip(), u">>"_s);
        }
        QVERIFY(!form->copyLabel(u"Tel"_s));
        QVERIFY(!form->copyLabel(u"Lhp"_s));
    }

    void calendarFromKeyAndLabel()
    {
        open();
        s->picker.answer = QDate(2015, 3, 31);
        form->showPage(0);
        QTest::keyClick(form->edit(u"Dz"_s), Qt::Key_F7, Qt::ShiftModifier);
        QCOMPARE(s->picker.asked, QList<QDate>{QDate(2015, 6, 15)}); // empty field: today
        QCOMPARE(s->field(u"PrpDz"_s).asDate(), QDate(2015, 3, 31));

        s->picker.answer = QDate(2015, 12, 31);
        form->showPage(2);
        QLabel *lhuta = form->dateLabel(u"Lhp"_s);
        QVERIFY(lhuta);
        QCOMPARE(lhuta->text(), u"Lhůta"_s);
        QTest::mouseClick(lhuta, Qt::LeftButton);
        QCOMPARE(s->field(u"PrpLhp"_s).asDate(), QDate(2015, 12, 31));

        // Storno changes nothing.
        s->picker.answer.reset();
        QTest::mouseClick(form->dateLabel(u"Dz"_s), Qt::LeftButton);
        QCOMPARE(s->picker.asked.last(), QDate(2015, 3, 31));
        QCOMPARE(s->field(u"PrpDz"_s).asDate(), QDate(2015, 3, 31));

        const QStringList dates = {u"Dz"_s, u"Dk"_s,   u"Dopd"_s, u"Dvo"_s,
                                   u"Dv"_s, u"Dops"_s, u"Lhp"_s,  u"Dvs"_s};
        for (const QString &field : dates)
            QVERIFY2(form->dateLabel(field), qPrintable(field));
    }

    void checkBoxCaptionsFollowTheirState()
    {
        open();
        TDBCheckBoxz *zdo = form->checkBox(u"Zdo"_s);
        TDBCheckBoxz *pfo = form->checkBox(u"Pfo"_s);
        QCOMPARE(zdo->text(), u"Za část zdaňovacího období"_s);
        QCOMPARE(pfo->text(), u"právnických osob"_s);
        QTest::mouseClick(zdo, Qt::LeftButton);
        QCOMPARE(zdo->text(), u"Za zdaňovací období"_s);
        QVERIFY(s->field(u"PrpZdo"_s).asBoolean());
        QTest::mouseClick(zdo, Qt::LeftButton);
        QCOMPARE(zdo->text(), u"Za část zdaňovacího období"_s);
        form->showPage(2);
        QTest::mouseClick(pfo, Qt::LeftButton);
        QCOMPARE(pfo->text(), u"fyzických osob"_s);
    }

    void pageKeys()
    {
        open();
        const int recNo = s->dm.Prp().recNo();
        const data::DatasetState state = s->dm.Prp().state();
        QTest::keyClick(form->edit(u"Rok"_s), Qt::Key_4, Qt::ControlModifier);
        QCOMPARE(form->pages()->currentIndex(), 3);
        QCOMPARE(QApplication::focusWidget(), form->control(u"Kzsa"_s));
        QCOMPARE(s->dm.Prp().recNo(), recNo);
        QCOMPARE(s->dm.Prp().state(), state);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(form->pages()->currentIndex(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(form->pages()->currentIndex(), 0);
        QTest::keyClick(form->pages()->tabBar(), Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(form->pages()->currentIndex(), 2);
    }

    void seams_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("page");
        QTest::newRow("Mi Enter") << u"Mi"_s << false << u"Z1"_s << 1;
        QTest::newRow("Mi Shift+Enter") << u"Mi"_s << true << u"Npd"_s << 0;
        QTest::newRow("Z1 Enter") << u"Z1"_s << false << u"Z2"_s << 1;
        QTest::newRow("Z1 Shift+Enter") << u"Z1"_s << true << u"Mi"_s << 0;
        QTest::newRow("Op Enter") << u"Op"_s << false << u"Pfo"_s << 2;
        QTest::newRow("Op Shift+Enter") << u"Op"_s << true << u"Emlv"_s << 1;
        QTest::newRow("Pfo Enter") << u"Pfo"_s << false << u"Dpdr2"_s << 2;
        QTest::newRow("Pfo Shift+Enter") << u"Pfo"_s << true << u"Op"_s << 1;
        QTest::newRow("Ops Enter") << u"Ops"_s << false << u"Kzsa"_s << 3;
        QTest::newRow("Ops Shift+Enter") << u"Ops"_s << true << u"Dvs"_s << 2;
        QTest::newRow("Kzsa Enter") << u"Kzsa"_s << false << u"Zjms"_s << 3;
        QTest::newRow("Kzsa Shift+Enter") << u"Kzsa"_s << true << u"Ops"_s << 2;
        QTest::newRow("inside a page") << u"Dic"_s << false << u"Kod"_s << 0;
    }

    void seams()
    {
        QFETCH(QString, from);
        QFETCH(bool, shift);
        QFETCH(QString, to);
        QFETCH(int, page);
        open();
        QWidget *start = form->control(from);
        form->pages()->setCurrentIndex(form->pages()->indexOf(start->parentWidget()));
        start->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(start, Qt::Key_Return, shift ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(QApplication::focusWidget(), form->control(to));
        QCOMPARE(form->pages()->currentIndex(), page);
        QVERIFY(form->isVisible());
    }

    void okPostsTypedTextAndReopens()
    {
        open();
        editortest::typeInto(form->edit(u"Dic"_s), u"CZ12345678"_s);
        form->okButton()->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QCOMPARE(s->dm.Prp().state(), data::DatasetState::Browse);
        QCOMPARE(prp(u"Dic"_s), u"CZ12345678"_s);
        // The position is kept in the settlement's INI file.
        const platform::IniFile ini(s->ini().path);
        QVERIFY(ini.valueExists(u"D1", u"UdajeOFirmeTop"));
        QVERIFY(ini.valueExists(u"D1", u"UdajeOFirmeLeft"));
        QVERIFY(s->messages.shown().isEmpty());
    }

    void refusedValueKeepsTheWindow()
    {
        open();
        editortest::typeInto(form->edit(u"Dz"_s), u"32.13.2015"_s);
        form->okButton()->click();
        QVERIFY(form->isVisible());
        QCOMPARE(s->messages.texts(IMessages::Kind::Error), QStringList{u"'32.13.2015' není platný datum"_s});
    }

    void failedPostOnOkIsShownAndKeepsTheWindow()
    {
        open();
        s->dm.Prp().beforePost = [](data::Dataset &) {
            throw data::DatabaseError(data::DatabaseError::Kind::Engine, u"Soubor Prp.DB nelze zapsat"_s);
        };
        editortest::typeInto(form->edit(u"Rok"_s), u"2015"_s);
        form->okButton()->click();
        QVERIFY(form->isVisible());
        QCOMPARE(s->messages.texts(IMessages::Kind::Error), QStringList{u"Soubor Prp.DB nelze zapsat"_s});
        QVERIFY(s->dm.Prp().isEditing());
        QCOMPARE(form->edit(u"Rok"_s)->text(), u"2015"_s);
        // Once the record can be written, the window closes with it.
        s->dm.Prp().beforePost = nullptr;
        form->okButton()->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(prp(u"Rok"_s), u"2015"_s);
    }

    // The window and qesto-cli set are made from one description of the
    // boxes: the same inputs in the same order, and a text typed into the
    // window's box is stored as the command line stores it.
    void theWindowAndTheCommandLineShareTheBoxes_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::newRow("cut to the box") << u"Dic"_s << u"CZ1234567890123456"_s;
        QTest::newRow("date shorthand") << u"Dv"_s << u"15,2,2016"_s;
        QTest::newRow("long name") << u"Ojs"_s << u"Stavby Novak a synove, verejna obchodni spolecnost"_s;
        QTest::newRow("count") << u"Z3"_s << u"12"_s;
    }
    void theWindowAndTheCommandLineShareTheBoxes()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        open();
        QStringList inputs;
        for (int page = 0; page < TEprpForm::PageCount; ++page) {
            for (QWidget *w : form->pageControls(page))
                inputs.append(w->objectName().remove(u"DBEdit"_s).remove(u"DBCheckBox"_s));
        }
        QCOMPARE(inputs, statements::prpLayout().boxFields());

        editortest::typeInto(form->edit(field), typed);
        form->okButton()->click();
        QVERIFY(!form->isVisible());
        const QString byWindow = prp(field);
        QVERIFY(!byWindow.isEmpty());

        data::Dataset &table = s->dm.Prp();
        table.edit();
        s->field(u"Prp"_s + field).clear();
        table.post();
        statements::FormInput input(s->dm, u"Prp"_s);
        input.type(field, typed);
        input.post();
        QCOMPARE(prp(field), byWindow);
    }

    void closingWithoutChangesPostsAndReopens()
    {
        open();
        form->close();
        QVERIFY(!form->isVisible());
        QVERIFY(s->dm.Prp().isActive());
        QCOMPARE(s->dm.Prp().state(), data::DatasetState::Browse);
        QVERIFY(s->messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestCompanyEditor)
#include "test_company_editor.moc"
