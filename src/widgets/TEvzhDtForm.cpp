#include "widgets/TEvzhDtForm.h"

#include "platform/IniFile.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace widgets {

namespace {

QPushButton *makeButton(const QString &caption, const QString &hint, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TEvzhDtForm::TEvzhDtForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"EvzhDtForm"_s);
    setWindowTitle(u"Kalendář"_s);
    setProperty("helpContext", 47);

    m_prevYear = makeButton(u"< rok"_s, u"Předchozí rok v kalendáři (Ctrl+PgUp)"_s, this);
    m_prevMonth = makeButton(u"< měsíc"_s, u"Předchozí měsíc v kalendáři (PgUp)"_s, this);
    m_nextMonth = makeButton(u"měsíc >"_s, u"Další měsíc v kalendáři (PgDn)"_s, this);
    m_nextYear = makeButton(u"rok >"_s, u"Další rok v kalendáři (Ctrl+PgDn)"_s, this);
    m_prevYear->setObjectName(u"PrevYear"_s);
    m_prevMonth->setObjectName(u"PrevMonth"_s);
    m_nextMonth->setObjectName(u"NextMonth"_s);
    m_nextYear->setObjectName(u"NextYear"_s);

    m_calendar = new QCalendarWidget(this);
    m_calendar->setObjectName(u"Calendar"_s);
    m_calendar->setLocale(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // The four buttons and the page keys move the month; the label names the date.
    m_calendar->setNavigationBarVisible(false);
    m_calendar->setGridVisible(true);

    auto *caption = new QLabel(u"datum kalendáře:"_s, this);
    m_labelDate = new QLabel(this);
    m_labelDate->setObjectName(u"LabelDate"_s);
    QFont bold = m_labelDate->font();
    bold.setBold(true);
    m_labelDate->setFont(bold);

    m_ok = new QPushButton(u"&OK"_s, this);
    m_ok->setObjectName(u"OKButton"_s);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(u"&Storno"_s, this);
    m_cancel->setObjectName(u"CancelButton"_s);
    m_cancel->setAutoDefault(false);

    auto *steps = new QHBoxLayout;
    for (QPushButton *b : {m_prevYear, m_prevMonth, m_nextMonth, m_nextYear})
        steps->addWidget(b);
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(caption);
    dateRow->addWidget(m_labelDate);
    dateRow->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(steps);
    layout->addWidget(m_calendar);
    layout->addLayout(dateRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_prevYear, m_prevMonth);
    setTabOrder(m_prevMonth, m_nextMonth);
    setTabOrder(m_nextMonth, m_nextYear);
    setTabOrder(m_nextYear, m_calendar);
    setTabOrder(m_calendar, m_ok);
    setTabOrder(m_ok, m_cancel);

    connect(m_prevYear, &QPushButton::clicked, this, &TEvzhDtForm::prevYear);
    connect(m_prevMonth, &QPushButton::clicked, this, &TEvzhDtForm::prevMonth);
    connect(m_nextMonth, &QPushButton::clicked, this, &TEvzhDtForm::nextMonth);
    connect(m_nextYear, &QPushButton::clicked, this, &TEvzhDtForm::nextYear);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_calendar, &QCalendarWidget::selectionChanged, this,
            [this] { setDate(m_calendar->selectedDate()); });
    connect(m_calendar, &QCalendarWidget::activated, this, [this](QDate date) {
        setDate(date);
        accept();
    });

    watchKeys(this);
    setDate(QDate::currentDate());
}

TEvzhDtForm::~TEvzhDtForm() = default;

void TEvzhDtForm::watchKeys(QWidget *widget)
{
    // The window sees the page keys before any of its controls, the
    // calendar's own page stepping included.
    widget->installEventFilter(this);
    const QList<QWidget *> children = widget->findChildren<QWidget *>();
    for (QWidget *w : children)
        w->installEventFilter(this);
}

void TEvzhDtForm::setDate(const QDate &date)
{
    if (!date.isValid())
        return;
    m_date = date;
    if (m_calendar->selectedDate() != date)
        m_calendar->setSelectedDate(date);
    m_calendar->setCurrentPage(date.year(), date.month());
    m_labelDate->setText(date.toString(u"dd.MM.yyyy"_s));
}

void TEvzhDtForm::setPlacementFile(const QString &iniPath, const QString &section)
{
    m_iniPath = iniPath;
    m_section = section;
}

std::optional<QDate> TEvzhDtForm::pickDate(const QDate &initial)
{
    setDate(initial.isValid() ? initial : QDate::currentDate());
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_date;
}

QDate TEvzhDtForm::stepMonths(const QDate &date, int months)
{
    int month = date.month() - 1 + months;
    int year = date.year() + month / 12;
    month %= 12;
    if (month < 0) {
        month += 12;
        --year;
    }
    const QDate first(year, month + 1, 1);
    return QDate(year, month + 1, std::min(date.day(), first.daysInMonth()));
}

QDate TEvzhDtForm::stepYears(const QDate &date, int years)
{
    const int day = date.month() == 2 && date.day() == 29 ? 28 : date.day();
    return QDate(date.year() + years, date.month(), day);
}

QPoint TEvzhDtForm::defaultPosition(int screenWidth)
{
    return screenWidth < 641 ? QPoint(148, 128) : QPoint(228, 188);
}

bool TEvzhDtForm::pageKey(const QKeyEvent *event)
{
    const int key = event->key();
    if (key != Qt::Key_PageUp && key != Qt::Key_PageDown)
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier)
        key == Qt::Key_PageUp ? prevMonth() : nextMonth();
    else if (mods == Qt::ControlModifier)
        key == Qt::Key_PageUp ? prevYear() : nextYear();
    // Other modifier states do nothing, not even the grid's own paging.
    return true;
}

bool TEvzhDtForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && pageKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TEvzhDtForm::showEvent(QShowEvent *event)
{
    const QScreen *shown = screen();
    QPoint pos = defaultPosition(shown ? shown->geometry().width() : 1024);
    if (!m_iniPath.isEmpty()) {
        const platform::IniFile ini(m_iniPath);
        pos = QPoint(ini.readInteger(m_section, u"KalendarLeft", pos.x()),
                     ini.readInteger(m_section, u"KalendarTop", pos.y()));
    }
    move(pos);
    QDialog::showEvent(event);
    m_calendar->setFocus(Qt::OtherFocusReason);
}

void TEvzhDtForm::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (m_iniPath.isEmpty() || event->spontaneous())
        return;
    platform::IniFile ini(m_iniPath);
    const QPoint pos = this->pos();
    platform::writeIfPossible([&] {
        ini.writeInteger(m_section, u"KalendarTop", pos.y());
        ini.writeInteger(m_section, u"KalendarLeft", pos.x());
    });
}

} // namespace widgets
