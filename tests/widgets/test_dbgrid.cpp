#include "widgets/DbGrid.h"
#include "widgets/DbNavigator.h"
#include "widgets/Editz.h"

#include "ScriptedMessages.h"
#include "data/FieldText.h"
#include "test_editz_table.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using widgets::DbGrid;
using widgets::DbNavigator;
using Answer = platform::IMessages::Answer;

namespace {

struct GridWindow
{
    explicit GridWindow(testing::Places &places)
    {
        auto *layout = new QVBoxLayout(&window);
        grid = new DbGrid(&window);
        grid->setMessages(&messages);
        grid->addColumn(u"N3"_s);
        grid->addColumn(u"C4"_s, u"Počet zam."_s, 80);
        grid->addColumn(u"Dvakrat"_s, u"Dvakrát"_s);
        grid->setDataSource(&places.source);
        layout->addWidget(grid);
        window.resize(400, 300);
        window.show();
        window.activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(&window)); }();
        grid->setFocus();
    }

    QString cell(int row, int column) const { return grid->model()->index(row, column).data().toString(); }

    int row() const { return grid->currentIndex().row(); }

    platform::ScriptedMessages messages; // outlives the window, whose closing may still commit a cell
    QWidget window;
    DbGrid *grid;
};

QString names(const testing::Places &places)
{
    QStringList list;
    for (const QVariantList &r : places.store.records())
        list.append(r.at(0).toString());
    return list.join(u',');
}

} // namespace

class TestDbGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsRecordsAndFollowsDataset();
    void keysMoveInsertAppendAndCancel();
    void ctrlDeleteAsksUnlessSwitchedOff();
    void editsInPlaceThroughTextRule();
    void untouchedNewRowDroppedWhenUserLeaves();
    void navigatorEnabling_data();
    void navigatorEnabling();
    void navigatorActsAndReportsRefusalOnce();
};

void TestDbGrid::showsRecordsAndFollowsDataset()
{
    testing::Places places;
    places.table.next(); // the current row is not the one with a fraction
    GridWindow w(places);

    QCOMPARE(w.grid->model()->rowCount(), 3);
    QCOMPARE(w.grid->model()->headerData(0, Qt::Horizontal).toString(), u"Název místa"_s);
    QCOMPARE(w.cell(0, 1), u"13"_s); // display format "0" also away from the current row
    QCOMPARE(w.cell(2, 0), u"Praha"_s);
    // Calculated fields exist only for the current record.
    QCOMPARE(w.cell(1, 2), u"6"_s);
    QCOMPARE(w.cell(0, 2), QString());
    QCOMPARE(w.row(), 1);

    places.table.last();
    QCOMPARE(w.row(), 2);
    w.grid->setCurrentIndex(w.grid->model()->index(0, 1));
    QCOMPARE(places.name->asString(), u"Brno"_s);

    places.table.close();
    QCOMPARE(w.grid->model()->rowCount(), 0);
    places.table.open();
    QCOMPARE(w.grid->model()->rowCount(), 3);
    QCOMPARE(w.row(), 0);
}

void TestDbGrid::keysMoveInsertAppendAndCancel()
{
    testing::Places places;
    GridWindow w(places);

    QTest::keyClick(w.grid, Qt::Key_Down);
    QCOMPARE(places.table.recNo(), 2);
    QTest::keyClick(w.grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(places.table.recNo(), 3);
    QTest::keyClick(w.grid, Qt::Key_PageUp);
    QCOMPARE(places.table.recNo(), 1);
    w.grid->setRowSelect(true); // Home and End then mean records, not columns
    QTest::keyClick(w.grid, Qt::Key_End);
    QCOMPARE(places.table.recNo(), 3);
    QTest::keyClick(w.grid, Qt::Key_Home);
    QCOMPARE(places.table.recNo(), 1);

    // Insert opens a new row before the current one; Esc drops it.
    QTest::keyClick(w.grid, Qt::Key_Down);
    QTest::keyClick(w.grid, Qt::Key_Insert);
    QCOMPARE(places.table.state(), data::DatasetState::Insert);
    QCOMPARE(w.row(), 1);
    QCOMPARE(w.cell(2, 0), u"Ostrava"_s);
    QCOMPARE(w.grid->model()->headerData(1, Qt::Vertical).toString(), u"*"_s);
    QTest::keyClick(w.grid, Qt::Key_Escape);
    QCOMPARE(w.grid->model()->rowCount(), 3);
    QCOMPARE(w.cell(1, 0), u"Ostrava"_s);

    // Moving off an untouched new row drops it and lands on the row chosen.
    QTest::keyClick(w.grid, Qt::Key_Insert);
    QTest::keyClick(w.grid, Qt::Key_Down);
    QCOMPARE(places.table.state(), data::DatasetState::Browse);
    QCOMPARE(places.name->asString(), u"Ostrava"_s);
    QCOMPARE(places.store.count(), 3);

    // Down past the last record appends one, only one at a time; Up drops it.
    places.table.last();
    QTest::keyClick(w.grid, Qt::Key_Down);
    QTest::keyClick(w.grid, Qt::Key_Down);
    QCOMPARE(places.table.state(), data::DatasetState::Insert);
    QCOMPARE(w.grid->model()->rowCount(), 4);
    QCOMPARE(w.row(), 3);
    QTest::keyClick(w.grid, Qt::Key_Up);
    QCOMPARE(w.grid->model()->rowCount(), 3);
    QCOMPARE(places.name->asString(), u"Praha"_s);

    // A grid without cell editing does not append; a read-only one changes nothing.
    w.grid->setCellEditing(false);
    QTest::keyClick(w.grid, Qt::Key_Down);
    w.grid->setReadOnly(true);
    QTest::keyClick(w.grid, Qt::Key_Insert);
    QTest::keyClick(w.grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(places.table.state(), data::DatasetState::Browse);
    QCOMPARE(names(places), u"Brno,Ostrava,Praha"_s);
}

void TestDbGrid::ctrlDeleteAsksUnlessSwitchedOff()
{
    testing::Places places;
    GridWindow w(places);
    QTest::keyClick(w.grid, Qt::Key_Down);

    w.messages.addAnswer(Answer::No);
    QTest::keyClick(w.grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(names(places), u"Brno,Ostrava,Praha"_s);
    w.messages.addAnswer(Answer::Yes);
    QTest::keyClick(w.grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(names(places), u"Brno,Praha"_s);
    QCOMPARE(w.cell(w.row(), 0), u"Praha"_s);
    QCOMPARE(w.messages.texts(platform::IMessages::Kind::Confirmation),
             (QStringList{u"Smazat záznam?"_s, u"Smazat záznam?"_s}));

    // Without confirmation no question is asked (none is scripted).
    w.grid->setConfirmDelete(false);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(w.grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(places.store.count(), 0);
}

void TestDbGrid::editsInPlaceThroughTextRule()
{
    testing::Places places;
    GridWindow w(places);
    w.grid->setCurrentIndex(w.grid->model()->index(1, 1));

    QTest::keyClicks(w.grid, u"8"_s); // any key opens the cell editor with that key
    QCOMPARE(places.table.state(), data::DatasetState::Edit);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    QTest::keyClicks(editor, u"5"_s);
    QTest::keyClick(editor, Qt::Key_Return); // commits once the editor had the key
    QTRY_COMPARE(places.count->asFloat(), 85.0);
    QCOMPARE(w.cell(1, 2), u"170"_s);
    QVERIFY(!(w.grid->model()->flags(w.grid->model()->index(1, 2)) & Qt::ItemIsEditable));

    // A refused value reopens the editor with the text selected.
    QTest::keyClick(w.grid, Qt::Key_F2);
    editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, u"abc"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(w.messages.texts(), QStringList{data::invalidFloatMessage(u"abc"_s, u"C4"_s)});
    QCOMPARE(places.count->asFloat(), 85.0);
    QTRY_VERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
    editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QCOMPARE(editor->selectedText(), u"abc"_s);
    QCOMPARE(w.grid->currentIndex(), w.grid->model()->index(1, 1));

    // Moving to another row posts the record.
    editor->setText(u"9"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(places.count->asFloat(), 9.0);
    QTest::keyClick(w.grid, Qt::Key_Down);
    QCOMPARE(places.table.state(), data::DatasetState::Browse);
    QCOMPARE(places.store.records().at(1).at(1).toDouble(), 9.0);
}

void TestDbGrid::untouchedNewRowDroppedWhenUserLeaves()
{
    testing::Places places;
    GridWindow w(places);
    auto *box = new widgets::TDBEditz(&w.window);
    box->setField(&places.source, places.name);
    w.window.layout()->addWidget(box);
    box->show();

    // A window that moves the focus into its own box for the new record keeps it.
    QTest::keyClick(w.grid, Qt::Key_Insert);
    box->setFocus();
    QCOMPARE(places.table.state(), data::DatasetState::Insert);

    w.grid->setFocus(Qt::OtherFocusReason);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(places.table.state(), data::DatasetState::Browse);
    QCOMPARE(places.store.count(), 3);
}

void TestDbGrid::navigatorEnabling_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("enabled"); // First Prior Next Last Insert Delete Edit Post Cancel Refresh

    QTest::newRow("first record") << u"first"_s << u"0011111001"_s;
    QTest::newRow("middle record") << u"middle"_s << u"1111111001"_s;
    QTest::newRow("last record") << u"last"_s << u"1100111001"_s;
    QTest::newRow("editing") << u"edit"_s << u"1111110111"_s;
    QTest::newRow("inserting") << u"insert"_s << u"1111110111"_s;
    QTest::newRow("empty table") << u"empty"_s << u"0000101001"_s;
    QTest::newRow("closed table") << u"closed"_s << u"0000000000"_s;
}

void TestDbGrid::navigatorEnabling()
{
    QFETCH(QString, situation);
    QFETCH(QString, enabled);

    testing::Places places(situation == u"empty" ? QList<QVariantList>{} : testing::Places().store.records());
    DbNavigator nav(&places.source, DbNavigator::AllButtons);
    if (situation == u"middle" || situation == u"edit" || situation == u"insert")
        places.table.next();
    if (situation == u"last")
        places.table.last();
    else if (situation == u"edit")
        places.table.edit();
    else if (situation == u"insert")
        places.table.insert();
    else if (situation == u"closed")
        places.table.close();

    QString actual;
    for (int bit = 0; bit < 10; ++bit)
        actual += nav.button(DbNavigator::Button(1u << bit))->isEnabled() ? u'1' : u'0';
    QCOMPARE(actual, enabled);
}

void TestDbGrid::navigatorActsAndReportsRefusalOnce()
{
    testing::Places places;
    platform::ScriptedMessages messages;
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *box = new widgets::TDBEditz(&window);
    box->setField(&places.source, places.count);
    box->setMessages(&messages);
    auto *nav = new DbNavigator(&places.source, DbNavigator::EditButtons, &window);
    nav->setMessages(&messages);
    layout->addWidget(box);
    layout->addWidget(nav);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(!nav->button(DbNavigator::First)->isVisible());

    // The box keeps the focus while a button is clicked; its text is written
    // first, and a refusal is reported once, by the navigator.
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, u"2000000"_s);
    QTest::mouseClick(nav->button(DbNavigator::Post), Qt::LeftButton);
    QCOMPARE(messages.texts(), QStringList{data::rangeMessage(2000000, u"C4"_s, -999999, 999999)});
    QCOMPARE(places.table.state(), data::DatasetState::Edit);
    QCOMPARE(QApplication::focusWidget(), box);
    QCOMPARE(box->selectedText(), u"2000000"_s);

    QTest::mouseClick(nav->button(DbNavigator::Cancel), Qt::LeftButton);
    QCOMPARE(box->text(), u"12,5"_s);
    QTest::keyClicks(box, u"3"_s);
    QTest::mouseClick(nav->button(DbNavigator::Post), Qt::LeftButton);
    QCOMPARE(places.store.records().at(0).at(1).toDouble(), 12.53);

    // A hidden button does nothing even when asked.
    nav->click(DbNavigator::Next);
    QCOMPARE(places.table.recNo(), 1);
}

QTEST_MAIN(TestDbGrid)
#include "test_dbgrid.moc"
