#include "widgets/Editz.h"

#include "ScriptedMessages.h"
#include "data/DataError.h"
#include "data/FieldText.h"
#include "test_editz_table.h"

#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using widgets::TDBCheckBoxz;
using widgets::TDBComboBoxz;
using widgets::TDBEditz;
using widgets::TEditz;

namespace {

// A dialog with a default button, so an Enter that leaks out of a box shows
// up as a click.
struct Window
{
    Window()
    {
        layout = new QVBoxLayout(&dialog);
        ok = new QPushButton(u"&OK"_s, &dialog);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, [this] { ++okClicks; });
    }

    // A box bound to the field, added below the others.
    TDBEditz *addBox(testing::Places &places, data::Field *field)
    {
        auto *box = new TDBEditz;
        box->setField(&places.source, field);
        add(box);
        return box;
    }

    void add(QWidget *w)
    {
        w->setParent(&dialog);
        layout->addWidget(w);
        boxes.append(w);
    }

    void show()
    {
        layout->addWidget(ok);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }

    QDialog dialog;
    QVBoxLayout *layout;
    QPushButton *ok;
    QList<QWidget *> boxes;
    int okClicks = 0;
};

QWidget *makeBox(const QString &kind, testing::Places &places)
{
    if (kind == u"TEditz")
        return new TEditz;
    if (kind == u"TDBEditz") {
        auto *box = new TDBEditz;
        box->setField(&places.source, places.name);
        return box;
    }
    if (kind == u"TDBCheckBoxz") {
        auto *box = new TDBCheckBoxz(u"Pomocný řádek"_s);
        box->setField(&places.source, places.flag);
        return box;
    }
    auto *box = new TDBComboBoxz;
    box->addItems({u"Brno"_s, u"Ostrava"_s, u"Praha"_s});
    box->setField(&places.source, places.name);
    return box;
}

// Message boxes that really run modally, as the program's do, and close
// themselves: the focus leaves the window and comes back.
class ModalMessages : public platform::ScriptedMessages
{
public:
    void error(const QString &text) override
    {
        QDialog box;
        QTimer::singleShot(0, &box, &QDialog::accept);
        box.exec();
        platform::ScriptedMessages::error(text);
    }
};

void setEnterTab(QWidget *box, bool on)
{
    box->setProperty("EnterTab", on);
}

} // namespace

class TestEditz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void enterMovesLikeTab_data();
    void enterMovesLikeTab();
    void enterTabOffReachesBoxAndWindow();
    void typingEditsAndShowsEditText();
    void leavingWritesThroughTextRule_data();
    void leavingWritesThroughTextRule();
    void refusedTextSurvivesModalMessage();
    void postWritesPendingTextOrStops();
    void exitSignalOnlyWhenValueChanged_data();
    void exitSignalOnlyWhenValueChanged();
    void followsRecordAndFieldChanges();
    void checkBoxAndComboWriteAtOnce();
};

void TestEditz::enterMovesLikeTab_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("expected"); // box that has the focus afterwards, starting in box 1

    for (const QString &kind : {u"TEditz"_s, u"TDBEditz"_s, u"TDBCheckBoxz"_s, u"TDBComboBoxz"_s}) {
        const QByteArray k = kind.toUtf8();
        QTest::newRow(QByteArray(k + " Enter").constData())
            << kind << int(Qt::Key_Return) << Qt::KeyboardModifiers() << 2;
        QTest::newRow(QByteArray(k + " keypad Enter").constData())
            << kind << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << 2;
        QTest::newRow(QByteArray(k + " Shift+Enter").constData())
            << kind << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 0;
    }
}

void TestEditz::enterMovesLikeTab()
{
    QFETCH(QString, kind);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, expected);

    testing::Places places;
    Window w;
    for (int i = 0; i < 3; ++i)
        w.add(makeBox(kind, places));
    w.show();
    w.boxes[1]->setFocus();
    QVERIFY(w.boxes[1]->property("EnterTab").toBool());

    QTest::keyClick(w.boxes[1], Qt::Key(key), modifiers);
    QCOMPARE(QApplication::focusWidget(), w.boxes[expected]);
    // The key was used up: the window's default button never saw it.
    QCOMPARE(w.okClicks, 0);
}

void TestEditz::enterTabOffReachesBoxAndWindow()
{
    testing::Places places;
    Window w;
    auto *plain = new TEditz;
    w.add(plain);
    auto *bound = w.addBox(places, places.name);
    w.show();

    for (QWidget *box : {static_cast<QWidget *>(plain), static_cast<QWidget *>(bound)}) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QVERIFY(widgets::isEnterTabKey(box, &enter));
        setEnterTab(box, false);
        QVERIFY(!widgets::isEnterTabKey(box, &enter));
        QSignalSpy returned(box, SIGNAL(returnPressed()));
        box->setFocus();
        const int clicks = w.okClicks;
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(returned.count(), 1);
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(w.okClicks, clicks + 1);
    }
}

void TestEditz::typingEditsAndShowsEditText()
{
    testing::Places places; // first record: 12.5, shown with format "0"
    Window w;
    auto *name = w.addBox(places, places.name);
    auto *count = w.addBox(places, places.count);
    auto *twice = w.addBox(places, places.twice);
    w.show();
    QCOMPARE(name->maxLength(), 10);
    QVERIFY(twice->isReadOnly());

    QCOMPARE(count->text(), u"13"_s);
    count->setFocus();
    QCOMPARE(count->text(), u"12,5"_s);
    QCOMPARE(places.table.state(), data::DatasetState::Browse);

    count->selectAll();
    QTest::keyClicks(count, u"7x"_s); // a letter is refused by an amount box at once
    QCOMPARE(places.table.state(), data::DatasetState::Edit);
    QCOMPARE(count->text(), u"7"_s);
    QCOMPARE(places.count->asFloat(), 12.5); // written only on leaving

    QTest::keyClick(count, Qt::Key_Tab);
    QCOMPARE(places.count->asFloat(), 7.0);
    QCOMPARE(twice->text(), u"14"_s);
}

void TestEditz::leavingWritesThroughTextRule_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");  // the field's edit text afterwards
    QTest::addColumn<QString>("message"); // empty when taken

    QTest::newRow("amount") << u"C4"_s << u"1234,4"_s << u"1234,4"_s << QString();
    QTest::newRow("amount emptied") << u"C4"_s << QString() << QString() << QString();
    QTest::newRow("amount not a number")
        << u"C4"_s << u"1,2,3"_s << u"12,5"_s << data::invalidFloatMessage(u"1,2,3"_s, u"C4"_s);
    QTest::newRow("date shorthand") << u"Dv"_s << u"1/2/2015"_s << u"01.02.2015"_s << QString();
}

void TestEditz::leavingWritesThroughTextRule()
{
    QFETCH(QString, fieldName);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, message);

    testing::Places places;
    platform::ScriptedMessages messages;
    Window w;
    auto *box = w.addBox(places, places.table.fieldByName(fieldName));
    box->setMessages(&messages);
    auto *next = w.addBox(places, places.name);
    w.show();

    box->setFocus();
    box->selectAll();
    if (typed.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClicks(box, typed);
    QTest::keyClick(box, Qt::Key_Return);

    QCOMPARE(places.table.fieldByName(fieldName)->editText(), stored);
    QCOMPARE(messages.texts(platform::IMessages::Kind::Error),
             message.isEmpty() ? QStringList() : QStringList{message});
    if (message.isEmpty()) {
        QCOMPARE(QApplication::focusWidget(), next);
        return;
    }
    // Refused: the user stays in the box with the text selected, the record in edit mode.
    QCOMPARE(QApplication::focusWidget(), box);
    QCOMPARE(box->selectedText(), typed);
    QCOMPARE(places.table.state(), data::DatasetState::Edit);
}

void TestEditz::refusedTextSurvivesModalMessage()
{
    testing::Places places;
    ModalMessages messages;
    Window w;
    auto *count = w.addBox(places, places.count);
    count->setMessages(&messages);
    auto *next = w.addBox(places, places.name);
    w.show();
    QSignalSpy countExit(count, &TDBEditz::exitChanged);
    QSignalSpy nextExit(next, &TDBEditz::exitChanged);

    count->setFocus();
    count->selectAll();
    QTest::keyClicks(count, u"1,2,3"_s);
    QTest::keyClick(count, Qt::Key_Tab);
    QCOMPARE(messages.shown().size(), 1);
    // Where the window puts the focus when it is active again.
    QCOMPARE(w.dialog.focusWidget(), count);
    w.dialog.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), count);
    QCOMPARE(count->selectedText(), u"1,2,3"_s);
    QCOMPARE(countExit.count(), 0);
    QCOMPARE(nextExit.count(), 0);

    // Corrected, the box is left once and says so once.
    QTest::keyClicks(count, u"20"_s);
    QTest::keyClick(count, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), next);
    QCOMPARE(places.count->asFloat(), 20.0);
    QCOMPARE(countExit.count(), 1);
    QCOMPARE(messages.shown().size(), 1);
}

void TestEditz::postWritesPendingTextOrStops()
{
    testing::Places places;
    platform::ScriptedMessages messages;
    Window w;
    auto *count = w.addBox(places, places.count);
    count->setMessages(&messages);
    w.show();

    count->setFocus();
    count->selectAll();
    QTest::keyClicks(count, u"1,2,3"_s);
    // The post (F9 of an editor) writes the box first; its refusal stops the
    // post and leaves the message to whoever posted.
    QVERIFY_THROWS_EXCEPTION(data::DatabaseError, places.table.post());
    QCOMPARE(places.table.state(), data::DatasetState::Edit);
    QCOMPARE(count->text(), u"1,2,3"_s);
    QVERIFY(messages.shown().isEmpty());

    count->selectAll();
    QTest::keyClicks(count, u"41"_s);
    places.table.post();
    QCOMPARE(places.store.records().at(0).at(1).toDouble(), 41.0);

    // Esc takes back typing first; only a second Esc reaches the window.
    int rejected = 0;
    QObject::connect(&w.dialog, &QDialog::rejected, [&] { ++rejected; });
    QTest::keyClicks(count, u"99"_s);
    QTest::keyClick(count, Qt::Key_Escape);
    QCOMPARE(count->text(), u"41"_s);
    QCOMPARE(rejected, 0);
    QTest::keyClick(count, Qt::Key_Escape);
    QCOMPARE(rejected, 1);
}

void TestEditz::exitSignalOnlyWhenValueChanged_data()
{
    QTest::addColumn<QStringList>("typings"); // each typed over the whole text, then Tab
    QTest::addColumn<int>("exits");

    QTest::newRow("left untouched") << QStringList{} << 0;
    QTest::newRow("same value in another form") << QStringList{u"12.50"_s} << 0;
    QTest::newRow("changed") << QStringList{u"12000"_s} << 1;
    QTest::newRow("refused, then changed") << QStringList{u"1,2,3"_s, u"7"_s} << 1;
    QTest::newRow("refused, then restored") << QStringList{u"1,2,3"_s, u"12,5"_s} << 0;
}

void TestEditz::exitSignalOnlyWhenValueChanged()
{
    QFETCH(QStringList, typings);
    QFETCH(int, exits);

    testing::Places places;
    platform::ScriptedMessages messages;
    Window w;
    auto *count = w.addBox(places, places.count);
    count->setMessages(&messages);
    auto *next = w.addBox(places, places.name);
    w.show();
    QSignalSpy spy(count, &TDBEditz::exitChanged);
    QSignalSpy nextSpy(next, &TDBEditz::exitChanged);

    count->setFocus();
    for (const QString &text : typings) {
        count->selectAll();
        QTest::keyClicks(count, text);
        QTest::keyClick(count, Qt::Key_Tab);
    }
    if (typings.isEmpty())
        QTest::keyClick(count, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), next);
    QCOMPARE(spy.count(), exits);
    count->setFocus(); // leaving the next box, untouched, says nothing either
    QCOMPARE(nextSpy.count(), 0);
}

void TestEditz::followsRecordAndFieldChanges()
{
    testing::Places places;
    Window w;
    auto *name = w.addBox(places, places.name);
    auto *twice = w.addBox(places, places.twice);
    auto *other = w.addBox(places, places.name);
    w.show();

    places.table.next();
    QCOMPARE(name->text(), u"Ostrava"_s);
    QCOMPARE(twice->text(), u"6"_s);

    // A calculation setting a field shows in every box of that field.
    places.table.edit();
    places.count->setAsFloat(50);
    QCOMPARE(twice->text(), u"100"_s);

    // Cancel drops what was typed but not yet written.
    name->setFocus();
    QTest::keyClicks(name, u"zz"_s);
    places.table.cancel();
    QCOMPARE(name->text(), u"Ostrava"_s);
    QCOMPARE(twice->text(), u"6"_s);

    places.table.close();
    QCOMPARE(name->text(), QString());
    QCOMPARE(other->text(), QString());
}

void TestEditz::checkBoxAndComboWriteAtOnce()
{
    testing::Places places;
    Window w;
    auto *check = new TDBCheckBoxz(u"Pomocný řádek"_s);
    check->setField(&places.source, places.flag);
    auto *combo = new TDBComboBoxz;
    combo->addItems({u"Brno"_s, u"Jihlava"_s, u"Praha"_s});
    combo->setField(&places.source, u"N3"_s);
    w.add(check);
    w.add(combo);
    w.show();
    QSignalSpy checkExit(check, &TDBCheckBoxz::exitChanged);

    QCOMPARE(combo->currentText(), u"Brno"_s);
    check->setFocus();
    QTest::keyClick(check, Qt::Key_Space);
    QCOMPARE(places.table.state(), data::DatasetState::Edit);
    QVERIFY(places.flag->asBoolean());
    QTest::keyClick(check, Qt::Key_Return);
    QCOMPARE(checkExit.count(), 1);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(places.name->asString(), u"Jihlava"_s);

    // A value outside the list shows as no choice.
    places.table.post();
    places.table.next();
    QCOMPARE(combo->currentIndex(), -1);
    QVERIFY(!check->isChecked());
}

QTEST_MAIN(TestEditz)
#include "test_editz.moc"
