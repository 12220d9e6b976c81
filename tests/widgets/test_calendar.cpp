#include "widgets/Editz.h"
#include "widgets/TEvzhDtForm.h"

#include "platform/IniFile.h"
#include "test_editz_table.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using widgets::TEvzhDtForm;

class TestCalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void steps_data();
    void steps();
    void keysAndButtons_data();
    void keysAndButtons();
    void placement();
    void kdatumFillsDateField_data();
    void kdatumFillsDateField();
    void shiftF7InDateBox();
};

void TestCalendar::steps_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("months");
    QTest::addColumn<int>("years");
    QTest::addColumn<QDate>("to");

    QTest::newRow("31 January to February") << QDate(2015, 1, 31) << 1 << 0 << QDate(2015, 2, 28);
    QTest::newRow("31 January to leap February") << QDate(2016, 1, 31) << 1 << 0 << QDate(2016, 2, 29);
    QTest::newRow("January back to December") << QDate(2016, 1, 31) << -1 << 0 << QDate(2015, 12, 31);
    QTest::newRow("29 February next year") << QDate(2016, 2, 29) << 0 << 1 << QDate(2017, 2, 28);
    QTest::newRow("29 February four years on") << QDate(2016, 2, 29) << 0 << 4 << QDate(2020, 2, 28);
}

void TestCalendar::steps()
{
    QFETCH(QDate, from);
    QFETCH(int, months);
    QFETCH(int, years);
    QFETCH(QDate, to);
    QCOMPARE(years != 0 ? TEvzhDtForm::stepYears(from, years) : TEvzhDtForm::stepMonths(from, months), to);
}

void TestCalendar::keysAndButtons_data()
{
    QTest::addColumn<QString>("how"); // a key or a button's name
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QDate>("to"); // from 31 January 2016

    const auto none = Qt::KeyboardModifiers();
    QTest::newRow("PgDn") << u"PgDn"_s << none << QDate(2016, 2, 29);
    QTest::newRow("Ctrl+PgUp") << u"PgUp"_s << Qt::KeyboardModifiers(Qt::ControlModifier)
                               << QDate(2015, 1, 31);
    QTest::newRow("keypad PgUp") << u"PgUp"_s << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                 << QDate(2015, 12, 31);
    QTest::newRow("Shift+PgUp does nothing")
        << u"PgUp"_s << Qt::KeyboardModifiers(Qt::ShiftModifier) << QDate(2016, 1, 31);
    QTest::newRow("< měsíc") << u"PrevMonth"_s << none << QDate(2015, 12, 31);
    QTest::newRow("rok >") << u"NextYear"_s << none << QDate(2017, 1, 31);
}

void TestCalendar::keysAndButtons()
{
    QFETCH(QString, how);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QDate, to);

    TEvzhDtForm form;
    form.setDate(QDate(2016, 1, 31));
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(form.calendar()->isAncestorOf(QApplication::focusWidget()));

    if (how.startsWith(u"Pg")) {
        // The window sees the key before the grid, which would page on its own.
        QTest::keyClick(QApplication::focusWidget(), how == u"PgDn" ? Qt::Key_PageDown : Qt::Key_PageUp,
                        modifiers);
    } else {
        QTest::mouseClick(form.findChild<QPushButton *>(how), Qt::LeftButton);
    }
    QCOMPARE(form.date(), to);
    QCOMPARE(form.calendar()->selectedDate(), to);
    QCOMPARE(form.calendar()->monthShown(), to.month());
    QCOMPARE(form.dateLabel()->text(), to.toString(u"dd.MM.yyyy"_s));
}

void TestCalendar::placement()
{
    QCOMPARE(TEvzhDtForm::defaultPosition(640), QPoint(148, 128));
    QCOMPARE(TEvzhDtForm::defaultPosition(641), QPoint(228, 188));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"D1.ini"_s);
    TEvzhDtForm form;
    form.setPlacementFile(path, u"D1"_s);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.pos(), QPoint(228, 188)); // the offscreen screen is wider than 640
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
}

void TestCalendar::kdatumFillsDateField_data()
{
    QTest::addColumn<QDate>("stored"); // the field before; invalid = empty
    QTest::addColumn<bool>("confirm"); // OK, else Esc
    QTest::addColumn<QDate>("opensOn");
    QTest::addColumn<QDate>("after"); // invalid = empty

    const QDate today(2026, 12, 7);
    QTest::newRow("empty field opens on today, OK") << QDate() << true << today << QDate(2027, 1, 7);
    QTest::newRow("empty field, Esc leaves it empty") << QDate() << false << today << QDate();
    QTest::newRow("field's date, OK")
        << QDate(2015, 1, 31) << true << QDate(2015, 1, 31) << QDate(2015, 2, 28);
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
    QTimer::singleShot(0, &form, [&] {
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        shownOn = form.date();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        if (confirm)
            QTest::mouseClick(form.findChild<QPushButton *>(u"OKButton"_s), Qt::LeftButton);
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });

    QCOMPARE(data::KDatum(form, places.table, *places.date), confirm);
    QCOMPARE(shownOn, opensOn);
    QCOMPARE(places.date->asDate(), after);
    QCOMPARE(places.table.state(), confirm ? data::DatasetState::Edit : data::DatasetState::Browse);
}

void TestCalendar::shiftF7InDateBox()
{
    testing::Places places;
    TEvzhDtForm form;
    QWidget window;
    auto *box = new widgets::TDBEditz(&window);
    box->setField(&places.source, places.date);
    box->setDatePicker(&form);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    box->setFocus();

    QTest::keyClick(box, Qt::Key_F7, Qt::ControlModifier | Qt::ShiftModifier); // not this one
    QVERIFY(places.date->isNull());
    QTimer::singleShot(0, &form, [&] {
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
        form.accept();
    });
    QTest::keyClick(box, Qt::Key_F7, Qt::ShiftModifier);
    QCOMPARE(places.date->asDate(), QDate(2026, 11, 7));
    QCOMPARE(box->text(), u"07.11.2026"_s);
}

QTEST_MAIN(TestCalendar)
#include "test_calendar.moc"
