#pragma once

// A settlement on disk opened by the data module, for the editor windows'
// tests: the status bar and the calendar are recorders, the message boxes
// scripted.

#include "ScriptedMessages.h"
#include "SettlementFixture.h"
#include "StatusRecorder.h"
#include "data/DateRules.h"
#include "data/TDM1.h"
#include "widgets/FormPlace.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace editortest {

// The calendar: answers with `answer` (nothing: Storno) and remembers what it
// was preset to.
struct PickerRecorder : data::IDatePicker
{
    std::optional<QDate> answer;
    QList<QDate> asked;
    std::optional<QDate> pickDate(const QDate &initial) override
    {
        asked.append(initial);
        return answer;
    }
};

class Settlement
{
public:
    Settlement()
    {
        root = dir.path() + QStringLiteral("/");
        dm1test::makeCurrentSettlement(root);
        dm.DM1Create(root);
        dm.setDatabasePath(root + QStringLiteral("D1"));
        dm.OtevritTabulky();
        dm.setToday([] { return QDate(2015, 6, 15); });
    }

    widgets::SettlementIni ini() const { return {root + QStringLiteral("D1/D1.ini"), QStringLiteral("D1")}; }
    data::Field &field(const QString &qualified) const { return *dm.field(qualified); }

    QTemporaryDir dir;
    QString root;
    statustest::StatusRecorder status;
    PickerRecorder picker;
    data::TDM1 dm{{.status = status, .caption = data::none, .datePicker = picker, .recalc = data::none}};
    platform::ScriptedMessages messages;
};

// Shows a window and waits until it can take keys.
inline bool showActive(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// Types text into a box as the user does: focus, select all, type.
inline void typeInto(QWidget *box, const QString &text)
{
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

} // namespace editortest
