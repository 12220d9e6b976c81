// Calendar "Kalendář".
#pragma once

#include "data/DateRules.h"

#include <QDate>
#include <QDialog>
#include <QPoint>
#include <QString>

class QCalendarWidget;
class QLabel;
class QPushButton;

namespace widgets {

// The calendar ("Kalendář"): a modal date picker created once at start-up
// and only shown and hidden afterwards. It keeps its date between uses; the
// data layer's KDatum presets it through IDatePicker. It remembers where the
// user put it in the open settlement's INI file.
class TEvzhDtForm : public QDialog, public data::IDatePicker
{
    Q_OBJECT

public:
    explicit TEvzhDtForm(QWidget *parent = nullptr);
    ~TEvzhDtForm() override;

    QDate date() const { return m_date; }
    void setDate(const QDate &date);

    // Where the position is kept: the settlement's INI file and its section
    // (named after the settlement directory). An empty path keeps nothing.
    void setPlacementFile(const QString &iniPath, const QString &section);

    // Shows the window modally preset to `initial`; the picked date on OK.
    std::optional<QDate> pickDate(const QDate &initial) override;

    // Steps of the buttons and the page keys.
    void prevMonth() { setDate(stepMonths(m_date, -1)); }
    void nextMonth() { setDate(stepMonths(m_date, 1)); }
    void prevYear() { setDate(stepYears(m_date, -1)); }
    void nextYear() { setDate(stepYears(m_date, 1)); }

    // The day stays, cut to the last day of a shorter target month.
    static QDate stepMonths(const QDate &date, int months);
    // 29 February becomes 28 February first, then the year moves.
    static QDate stepYears(const QDate &date, int years);
    // Top-left corner before the saved one is read.
    static QPoint defaultPosition(int screenWidth);

    QCalendarWidget *calendar() const { return m_calendar; }
    QLabel *dateLabel() const { return m_labelDate; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool pageKey(const QKeyEvent *event);
    void watchKeys(QWidget *widget);

    QPushButton *m_prevYear;
    QPushButton *m_prevMonth;
    QPushButton *m_nextMonth;
    QPushButton *m_nextYear;
    QCalendarWidget *m_calendar;
    QLabel *m_labelDate;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QDate m_date;
    QString m_iniPath;
    QString m_section;
};

} // namespace widgets
