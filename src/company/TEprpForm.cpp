#include "company/TEprpForm.h"

#include "data/CompanyData.h"
#include "data/DataError.h"
#include "data/Dataset.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "platform/Messages.h"
#include "statements/FormPages.h"
#include "statements/TableLayouts.h"
#include "widgets/Editz.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using widgets::TDBCheckBoxz;
using widgets::TDBEditz;

namespace company {

TEprpForm::TEprpForm(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
                     QWidget *parent)
    : QDialog(parent), m_dm(dm), m_messages(messages), m_place(std::move(ini), u"UdajeOFirme"_s)
{
    setObjectName(u"EprpForm"_s);
    setWindowTitle(u"Údaje o firmě"_s);
    setProperty("helpPrefix", u"firma"_s);
    setProperty("helpContext", 5);
    auto *layout = new QVBoxLayout(this);
    const statements::FormLayout boxes = statements::prpLayout();
    m_pages = new statements::FormPages(boxes, dm.PrpSource(), messages, this);
    m_pages->setObjectName(u"PageControl1"_s);
    for (int i = 0; i < m_pages->count(); ++i)
        m_pages->widget(i)->setObjectName(u"TabSheet"_s + QString::number(i + 1));
    // The date boxes offer the calendar, from their caption or Shift+F7.
    for (const statements::FormPage &page : boxes.pages) {
        for (const statements::FormCell &cell : page.cells) {
            if (cell.linkKind == statements::FormCell::Link::Date)
                if (TDBEditz *box = edit(cell.link))
                    box->setDatePicker(dm.datePicker());
        }
    }
    connect(m_pages, &statements::FormPages::linkActivated, this,
            [this](statements::FormCell::Link kind, const QString &field) {
                if (kind == statements::FormCell::Link::Date)
                    pickDate(field);
                else
                    copyInto(field);
            });
    layout->addWidget(m_pages);

    m_ok = new QPushButton(u"&OK"_s, this);
    m_ok->setObjectName(u"OKButton"_s);
    m_ok->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &TEprpForm::OKButtonClick);
    m_pages->setCloseButton(m_ok);
    layout->addWidget(m_ok, 0, Qt::AlignHCenter);

    widgets::setMessages(this, &m_messages);
    // The window previews the keys of every box.
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);

    adjustSize();
    m_place.restore(this, QPoint(30, 0), QPoint(110, 80));
    showPage(0);
}

TEprpForm::~TEprpForm() = default;

QTabWidget *TEprpForm::pages() const
{
    return m_pages;
}

QWidget *TEprpForm::control(const QString &field) const
{
    return m_pages->input(field);
}

TDBEditz *TEprpForm::edit(const QString &field) const
{
    return qobject_cast<TDBEditz *>(control(field));
}

TDBCheckBoxz *TEprpForm::checkBox(const QString &field) const
{
    return qobject_cast<TDBCheckBoxz *>(control(field));
}

QLabel *TEprpForm::copyLabel(const QString &field) const
{
    return m_pages->linkLabel(field, statements::FormCell::Link::Copy);
}

QLabel *TEprpForm::dateLabel(const QString &field) const
{
    return m_pages->linkLabel(field, statements::FormCell::Link::Date);
}

QList<QWidget *> TEprpForm::pageControls(int page) const
{
    return m_pages->pageInputs(page);
}

void TEprpForm::showPage(int page)
{
    if (page < 0 || page >= PageCount)
        return;
    m_pages->showPage(page);
}

void TEprpForm::copyInto(const QString &target)
{
    const data::CompanyCopy *copy = data::findCompanyCopy(target);
    if (!copy)
        return;
    data::Dataset &prp = m_dm.Prp();
    try {
        // What the user typed into the source's box counts, even before it
        // was left.
        if (TDBEditz *source = edit(copy->source); source && !source->updateRecord())
            return;
        if (!m_messages.confirm(data::companyCopyQuestion(prp, *copy)))
            return;
        data::copyCompanyField(prp, *copy);
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
    }
}

void TEprpForm::pickDate(const QString &field)
{
    if (TDBEditz *box = edit(field))
        box->pickDate();
}

bool TEprpForm::handleKey(QWidget *target, QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (mods == Qt::ControlModifier && key >= Qt::Key_1 && key <= Qt::Key_4) {
        showPage(key - Qt::Key_1);
        return true;
    }
    if (!target)
        return false;
    const QString field = m_pages->fieldOf(target);
    if (field.isEmpty())
        return false;
    if (key == Qt::Key_F7 && mods == Qt::ShiftModifier) {
        if (copyLabel(field)) {
            copyInto(field);
            return true;
        }
        if (dateLabel(field)) {
            pickDate(field);
            return true;
        }
    }
    // Enter at the seams between the pages is the pages' own.
    return false;
}

bool TEprpForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        handleKey(static_cast<QWidget *>(watched), static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TEprpForm::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(nullptr, event))
        return;
    QDialog::keyPressEvent(event);
}

bool TEprpForm::postRecord()
{
    data::Dataset &prp = m_dm.Prp();
    if (!prp.isActive() || !prp.isEditing())
        return true;
    try {
        prp.post();
        return true;
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
        return false;
    }
}

void TEprpForm::OKButtonClick()
{
    // The box being edited hands its text to the record first; a refused
    // text keeps the focus there with the field's message.
    if (auto *box = qobject_cast<TDBEditz *>(QApplication::focusWidget()); box && box->window() == this) {
        if (!box->updateRecord())
            return;
    }
    // Unlike a silent refusal, the reason is shown: the user must know why
    // the window stays open.
    if (!postRecord())
        return;
    done(QDialog::Rejected);
}

void TEprpForm::done(int result)
{
    if (m_closing)
        return;
    m_place.save(this);
    // Closing never throws away what was typed: a record that cannot be
    // written keeps the window open with the reason.
    if (auto *box = qobject_cast<TDBEditz *>(QApplication::focusWidget()); box && box->window() == this) {
        if (!box->updateRecord())
            return;
    }
    if (!postRecord())
        return;
    m_closing = true;
    reopenPrp();
    QDialog::done(result);
    m_closing = false;
}

void TEprpForm::reopenPrp()
{
    try {
        m_dm.reopenTable(m_dm.Prp());
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
    }
}

} // namespace company
