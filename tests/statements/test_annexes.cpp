// The two annexes of corrections on the offscreen platform: the rows of each
// page, the one-letter kind fields, the amounts kept empty, the keys, the
// seams, the close question on the way to the next window and the kept place.

#include "EditorFixture.h"
#include "data/Dataset.h"
#include "platform/IniFile.h"
#include "statements/FormPages.h"
#include "statements/TEpkvForm.h"
#include "widgets/DbNavigator.h"
#include "widgets/Editz.h"

#include <QPushButton>
#include <QToolButton>

using namespace Qt::StringLiterals;
using platform::IMessages;
using statements::StatementEditor;
using statements::TEpkvbForm;
using statements::TEpkvForm;
using widgets::TDBEditz;

class TestAnnexes : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<editortest::Settlement> s;
    std::unique_ptr<StatementEditor> form;

    template <class Form> Form *open()
    {
        s = std::make_unique<editortest::Settlement>();
        auto *f = new Form(s->dm, s->messages, s->ini());
        form.reset(f);
        [&] { QVERIFY(editortest::showActive(f)); }();
        return f;
    }

    TDBEditz *box(const QString &field) const { return form->box(field); }
    data::Field &field(const QString &table, const QString &name) const { return s->field(table + name); }

    static void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), k, mods);
    }

private Q_SLOTS:
    void cleanup()
    {
        form.reset();
        s.reset();
    }

    void rowsAndCaptions_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("firstBoxes");
        QTest::addColumn<int>("page1Boxes");
        QTest::addColumn<int>("page2Boxes");
        QTest::addColumn<QString>("lastBox");
        QTest::addColumn<QStringList>("hints");
        QTest::newRow("opravy") << int(TEpkvForm::Kind) << u"Příloha k vyúčtování - opravy"_s
                                << QStringList{u"Z1"_s, u"N11"_s, u"N12"_s, u"N13"_s, u"N14"_s, u"C15"_s}
                                << 11 * 6 << 6 * 6 << u"C175a"_s
                                << QStringList{u"Opravit záznam (F4)"_s, u"Počet zaměstnanců (PgUp)"_s,
                                               u"Příloha k vyúčtování - opravy bonusu (PgDn)"_s};
        QTest::newRow("opravy bonusu")
            << int(TEpkvbForm::Kind) << u"Příloha k vyúčtování - opravy bonusu"_s
            << QStringList{u"M1"_s, u"N11"_s, u"N12"_s, u"N13"_s, u"N14"_s, u"N15"_s, u"C16"_s} << 9 * 7
            << 5 * 7 << u"C146"_s
            << QStringList{u"Opravit záznam (F4)"_s, u"Příloha k vyúčtování - opravy (PgUp)"_s,
                           u"Vyúčtování daně vybírané srážkou (PgDn)"_s};
    }

    void rowsAndCaptions()
    {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QStringList, firstBoxes);
        QFETCH(int, page1Boxes);
        QFETCH(int, page2Boxes);
        QFETCH(QString, lastBox);
        QFETCH(QStringList, hints);
        if (kind == int(TEpkvForm::Kind))
            open<TEpkvForm>();
        else
            open<TEpkvbForm>();
        QCOMPARE(form->windowTitle(), caption);
        statements::FormPages *pages = form->pages();
        QCOMPARE(pages->count(), 2);
        QCOMPARE(pages->pageBoxes(0).size(), page1Boxes);
        QCOMPARE(pages->pageBoxes(1).size(), page2Boxes);
        QCOMPARE(pages->pageBoxes(1).last()->objectName(), u"DBEdit"_s + lastBox);
        for (qsizetype i = 0; i < firstBoxes.size(); ++i)
            QCOMPARE(pages->pageBoxes(0)[i]->objectName(), u"DBEdit"_s + firstBoxes[i]);
        QCOMPARE(pages->widget(1)->toolTip(), u"Nápověda (F1)"_s);
        QCOMPARE(pages->widget(0)->property("helpContext").toInt(), kind == int(TEpkvForm::Kind) ? 17 : 34);
        // Only Edit, Post and Cancel; "<<" and ">>" are no tab stops.
        const widgets::DbNavigator *nav = form->navigator();
        QVERIFY(nav->button(widgets::DbNavigator::Edit)->isVisible());
        QVERIFY(!nav->button(widgets::DbNavigator::Insert)->isVisible());
        QCOMPARE(nav->hint(widgets::DbNavigator::Edit), hints[0]);
        QCOMPARE(form->backButton()->toolTip(), hints[1]);
        QCOMPARE(form->forwardButton()->toolTip(), hints[2]);
        QCOMPARE(form->backButton()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(form->forwardButton()->focusPolicy(), Qt::NoFocus);
    }

    void kindFieldKeepsOneLetter()
    {
        open<TEpkvForm>();
        QCOMPARE(box(u"Z1"_s)->maxLength(), 1);
        editortest::typeInto(box(u"Z1"_s), u"DZ"_s);
        key(Qt::Key_Return);
        QCOMPARE(field(u"Vpkv"_s, u"Z1"_s).asString(), u"D"_s);
        // Any letter is taken: nothing limits it to Z or D.
        editortest::typeInto(box(u"Z2"_s), u"x"_s);
        key(Qt::Key_F9);
        QCOMPARE(field(u"Vpkv"_s, u"Z2"_s).asString(), u"x"_s);
        QCOMPARE(s->dm.Vpkv().state(), data::DatasetState::Browse);
    }

    void emptyAmountsStayEmpty()
    {
        open<TEpkvbForm>();
        editortest::typeInto(box(u"C16"_s), u"100,6"_s);
        editortest::typeInto(box(u"N21"_s), u"03/2015"_s);
        key(Qt::Key_F9);
        QCOMPARE(field(u"Vpkb"_s, u"C16"_s).asFloat(), 101.0);
        QVERIFY(field(u"Vpkb"_s, u"C26"_s).isNull());
        QCOMPARE(field(u"Vpkb"_s, u"N21"_s).asString(), u"03/2015"_s);
        // As the table holds it, read again.
        s->dm.Vpkb().refresh();
        QVERIFY(field(u"Vpkb"_s, u"C26"_s).isNull());
    }

    void keysAndSeams()
    {
        open<TEpkvForm>();
        QVERIFY(form->pages()->focusBox(u"C115"_s));
        key(Qt::Key_Return);
        QCOMPARE(form->pages()->currentIndex(), 1);
        QCOMPARE(QApplication::focusWidget(), box(u"Z12"_s));
        key(Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(form->pages()->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), box(u"C115"_s));
        key(Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), box(u"N114"_s));
        key(Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(form->pages()->currentIndex(), 1);
        key(Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(form->pages()->currentIndex(), 0);

        key(Qt::Key_F4);
        QCOMPARE(s->dm.Vpkv().state(), data::DatasetState::Edit);
        s->messages.addAnswer(IMessages::Answer::No);
        key(Qt::Key_Escape);
        QCOMPARE(s->messages.texts(IMessages::Kind::Confirmation), QStringList{u"Uložit provedené změny?"_s});
        QCOMPARE(s->dm.Vpkv().state(), data::DatasetState::Browse);
        QVERIFY(form->isVisible());
        key(Qt::Key_Escape);
        QVERIFY(!form->isVisible());

        open<TEpkvbForm>();
        QVERIFY(form->pages()->focusBox(u"C96"_s));
        key(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), box(u"M10"_s));
        key(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), box(u"N101"_s));
    }

    void pageDownAsksThenGoesOn()
    {
        open<TEpkvbForm>();
        editortest::typeInto(box(u"M1"_s), u"M"_s);
        s->messages.addAnswer(IMessages::Answer::Cancel);
        key(Qt::Key_PageDown);
        QCOMPARE(
            s->messages.texts(IMessages::Kind::Question),
            QStringList{
                u"V tabulce Příloha k vyúčtování - opravy bonusu byly provedeny změny.\nUložit záznam?"_s});
        QVERIFY(form->isVisible());
        QCOMPARE(form->nextKind(), statements::StatementKind::None);
        s->messages.addAnswer(IMessages::Answer::No);
        key(Qt::Key_PageDown);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->nextKind(), statements::StatementKind::Withholding);
        QVERIFY(field(u"Vpkb"_s, u"M1"_s).isNull());

        // The place is kept under the window's own keys.
        const platform::IniFile ini(s->ini().path);
        QCOMPARE(ini.readInteger(u"D1", u"OpravyB1Top", -1), form->pos().y());
        QCOMPARE(ini.readInteger(u"D1", u"OpravyB1Left", -1), form->pos().x());
    }
};

QTEST_MAIN(TestAnnexes)
#include "test_annexes.moc"
