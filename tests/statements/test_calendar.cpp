#include "statements/TEvzhDtForm.h"

#include "platform/IniFile.h"
#include "test_editz_table.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;
using statements::TEvzhDtForm;

namespace {

// Runs `step` once the modal calendar is up.
void whenShown(TEvzhDtForm &form, std::function<void()> step)
{
    QTimer::singleShot(0, &form, [&form, step = std::move(step)] {
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        step();
    });
}

} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void steps_data();
    void steps();
    void pageKeysAndButtons_data();
    void pageKeysAndButtons();
    void captionsAndFocus();
    void defaultPosition_data();
    void defaultPosition();
    void placementKeptInSettlementIni();
    void kdatumFillsDateField_data();
    void kdatumFillsDateField();
    void doubleClickPicksDay();
};

void TestCalendar::steps_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("months");
    QTest::addColumn<int>("years");
    QTest::addColumn<QDate>("to");

    QTest::newRow("31 January to February") << QDate(2015, 1, 31) << 1 << 0 << QDate(2015, 2, 28);
    QTest::newRow("31 January to leap February") << QDate(2016, 1, 31) << 1 << 0 << QDate(2016, 2, 29);
    QTest::newRow("31 March back to February") << QDate(2016, 3, 31) << -1 << 0 << QDate(2016, 2, 29);
    QTest::newRow("December into January") << QDate(2015, 12, 15) << 1 << 0 << QDate(2016, 1, 15);
    QTest::newRow("January back to December") << QDate(2016, 1, 31) << -1 << 0 << QDate(2015, 12, 31);
    QTest::newRow("29 February next year") << QDate(2016, 2, 29) << 0 << 1 << QDate(2017, 2, 28);
    QTest::newRow("29 February previous year") << QDate(2016, 2, 29) << 0 << -1 << QDate(2015, 2, 28);
    QTest::newRow("29 February four years on") << QDate(2016, 2, 29) << 0 << 4 << QDate(2020, 2, 28);
    QTest::newRow("ordinary day, year back") << QDate(2015, 7, 31) << 0 << -1 << QDate(2014, 7, 31);
}

void TestCalendar::steps()
{
    QFETCH(QDate, from);
    QFETCH(int, months);
    QFETCH(int, years);
    QFETCH(QDate, to);
    const QDate got = years != 0 ? TEvzhDtForm::stepYears(from, years) : TEvzhDtForm::stepMonths(from, months);
    QCOMPARE(got, to);
}

void TestCalendar::pageKeysAndButtons_data()
{
    QTest::addColumn<QString>("how"); // a key or a button's name
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QDate>("to"); // from 31 January 2016

    const auto none = Qt::KeyboardModifiers();
    QTest::newRow("PgDn") << u"PgDn"_s << none << QDate(2016, 2, 29);
    QTest::newRow("PgUp") << u"PgUp"_s << none << QDate(2015, 12, 31);
    QTest::newRow("Ctrl+PgDn") << u"PgDn"_s << Qt::KeyboardModifiers(Qt::ControlModifier) << QDate(2017, 1, 31);
    QTest::newRow("Ctrl+PgUp") << u"PgUp"_s << Qt::KeyboardModifiers(Qt::ControlModifier) << QDate(2015, 1, 31);
    QTest::newRow("keypad PgDn") << u"PgDn"_s << Qt::KeyboardModifiers(Qt::KeypadModifier) << QDate(2016, 2, 29);
    QTest::newRow("Shift+PgUp does nothing") << u"PgUp"_s << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                             << QDate(2016, 1, 31);
    QTest::newRow("Ctrl+Shift+PgDn does nothing")
        << u"PgDn"_s << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier) << QDate(2016, 1, 31);
    QTest::newRow("< rok") << u"PrevYear"_s << none << QDate(2015, 1, 31);
    QTest::newRow("< měsíc") << u"PrevMonth"_s << none << QDate(2015, 12, 31);
    QTest::newRow("měsíc >") << u"NextMonth"_s << none << QDate(2016, 2, 29);
    QTest::newRow("rok >") << u"NextYear"_s << none << QDate(2017, 1, 31);
}

void TestCalendar::pageKeysAndButtons()
{
    QFETCH(QString, how);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QDate, to);

    TEvzhDtForm form;
    form.setDate(QDate(2016, 1, 31));
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    if (how == u"PgDn" || how == u"PgUp") {
        // The window sees the key first, whichever control has the focus.
        QTest::keyClick(QApplication::focusWidget(), how == u"PgDn" ? Qt::Key_PageDown : Qt::Key_PageUp, modifiers);
    } else {
        QTest::mouseClick(form.findChild<QPushButton *>(how), Qt::LeftButton);
    }
    QCOMPARE(form.date(), to);
    QCOMPARE(form.calendar()->selectedDate(), to);
    QCOMPARE(form.calendar()->monthShown(), to.month());
    QCOMPARE(form.calendar()->yearShown(), to.year());
    QCOMPARE(form.dateLabel()->text(), to.toString(u"dd.MM.yyyy"_s));
}

void TestCalendar::captionsAndFocus()
{
    TEvzhDtForm form;
    form.setDate(QDate(2015, 3, 2));
    QCOMPARE(form.windowTitle(), u"Kalendář"_s);
    QCOMPARE(form.findChild<QPushButton *>(u"PrevYear"_s)->toolTip(), u"Předchozí rok v kalendáři (Ctrl+PgUp)"_s);
    QCOMPARE(form.findChild<QPushButton *>(u"NextMonth"_s)->text(), u"měsíc >"_s);
    QVERIFY(form.findChild<QPushButton *>(u"OKButton"_s)->isDefault());
    QCOMPARE(form.findChild<QPushButton *>(u"CancelButton"_s)->text(), u"&Storno"_s);
    QCOMPARE(form.calendar()->firstDayOfWeek(), Qt::Monday);
    QVERIFY(form.dateLabel()->font().bold());
    QCOMPARE(form.dateLabel()->text(), u"02.03.2015"_s);

    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(form.calendar()->isAncestorOf(QApplication::focusWidget()) ||
            QApplication::focusWidget() == form.calendar());

    // Clicking a day changes the date.
    form.calendar()->setSelectedDate(QDate(2015, 3, 20));
    QCOMPARE(form.date(), QDate(2015, 3, 20));
    QCOMPARE(form.dateLabel()->text(), u"20.03.2015"_s);
}

void TestCalendar::defaultPosition_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<QPoint>("topLeft");

    QTest::newRow("640") << 640 << QPoint(148, 128);
    QTest::newRow("641") << 641 << QPoint(228, 188);
    QTest::newRow("1920") << 1920 << QPoint(228, 188);
}

void TestCalendar::defaultPosition()
{
    QFETCH(int, screenWidth);
    QFETCH(QPoint, topLeft);
    QCOMPARE(TEvzhDtForm::defaultPosition(screenWidth), topLeft);
}

void TestCalendar::placementKeptInSettlementIni()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"D1.ini"_s);

    TEvzhDtForm form;
    form.setPlacementFile(path, u"D1"_s);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The offscreen screen is wider than 640 pixels.
    QCOMPARE(form.pos(), QPoint(228, 188));
    form.move(300, 200);
    form.hide();

    platform::IniFile ini(path);
    QCOMPARE(ini.readInteger(u"D1", u"KalendarTop", -1), 200);
    QCOMPARE(ini.readInteger(u"D1", u"KalendarLeft", -1), 300);

    ini.writeInteger(u"D1", u"KalendarLeft", 50);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.pos(), QPoint(50, 200));
    form.hide();

    // Another settlement keeps its own position.
    form.setPlacementFile(dir.filePath(u"D2.ini"_s), u"D2"_s);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.pos(), QPoint(228, 188));
    form.hide();
}

void TestCalendar::kdatumFillsDateField_data()
{
    QTest::addColumn<QDate>("stored");  // the field before; invalid = empty
    QTest::addColumn<bool>("confirm");  // OK, else Esc
    QTest::addColumn<QDate>("opensOn");
    QTest::addColumn<QDate>("after");   // invalid = empty

    const QDate today(2026, 12, 7);
    QTest::newRow("empty field opens on today, OK") << QDate() << true << today << QDate(2027, 1, 7);
    QTest::newRow("empty field, Esc leaves it empty") << QDate() << false << today << QDate();
    QTest::newRow("field's date, OK") << QDate(2015, 1, 31) << true << QDate(2015, 1, 31) << QDate(2015, 2, 28);
    QTest::newRow("field's date, Esc") << QDate(2015, 1, 31) << false << QDate(2015, 1, 31) << QDate(2015, 1, 31);
}

void TestCalendar::kdatumFillsDateField()
{
    QFETCH(QDate, stored);
    QFETCH(bool, confirm);
    QFETCH(QDate, opensOn);
    QFETCH(QDate, after);

    testing::Places places;
    if (stored.isValid()) {
        places.table.edit();
        places.date->setAsDate(stored);
        places.table.post();
    }
    TEvzhDtForm form;
    form.setDate(QDate(2000, 1, 1)); // the previous use's date must not leak in
    QDate shownOn;
    whenShown(form, [&] {
        shownOn = form.date();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        if (confirm)
            QTest::mouseClick(form.findChild<QPushButton *>(u"OKButton"_s), Qt::LeftButton);
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });

    const bool set = data::KDatum(form, places.table, *places.date);
    QCOMPARE(shownOn, opensOn);
    QCOMPARE(set, confirm);
    QCOMPARE(places.date->asDate(), after);
    QCOMPARE(places.table.state(), confirm ? data::DatasetState::Edit : data::DatasetState::Browse);
}

void TestCalendar::doubleClickPicksDay()
{
    TEvzhDtForm form;
    whenShown(form, [&] {
        // The calendar's own signal for a double click or Enter on a day.
        Q_EMIT form.calendar()->activated(QDate(2015, 6, 12));
    });
    QCOMPARE(form.pickDate(QDate(2015, 6, 1)), std::optional<QDate>(QDate(2015, 6, 12)));
}

QTEST_MAIN(TestCalendar)
#include "test_calendar.moc"
