#include "widgets/DbNavigator.h"

#include "data/DataError.h"
#include "data/Dataset.h"
#include "platform/Error.h"
#include "platform/Messages.h"

#include <QHBoxLayout>
#include <QToolButton>

#include <bit>

using namespace Qt::StringLiterals;

namespace widgets {

namespace {

struct ButtonLook
{
    const char16_t *glyph;
    const char16_t *hint;
};

// In the order of the flag bits.
constexpr std::array<ButtonLook, 10> looks{{
    {u"|◄", u"První záznam"},
    {u"◄", u"Předchozí záznam"},
    {u"►", u"Další záznam"},
    {u"►|", u"Poslední záznam"},
    {u"+", u"Vložit záznam"},
    {u"−", u"Smazat záznam"},
    {u"▲", u"Opravit záznam"},
    {u"✔", u"Uložit záznam"},
    {u"✘", u"Stornovat změny"},
    {u"↻", u"Obnovit data"},
}};

} // namespace

DbNavigator::DbNavigator(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        auto *b = new QToolButton(this);
        b->setText(QString::fromUtf16(looks[i].glyph));
        const QString hint = QString::fromUtf16(looks[i].hint);
        b->setToolTip(hint);
        b->setStatusTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumWidth(25);
        const Button which = Button(1u << i);
        connect(b, &QToolButton::clicked, this, [this, which] { run(which); });
        layout->addWidget(b);
        m_buttons[i] = b;
    }
    updateButtons();
}

DbNavigator::DbNavigator(data::DataSource *source, Buttons visible, QWidget *parent) : DbNavigator(parent)
{
    setVisibleButtons(visible);
    setDataSource(source);
}

int DbNavigator::indexOf(Button button)
{
    return std::countr_zero(unsigned(button));
}

void DbNavigator::setDataSource(data::DataSource *source)
{
    if (m_source == source)
        return;
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        // Record moves, posts and deletes come as whole-record changes; a
        // single field's change cannot alter what the buttons may do.
        connect(m_source, &data::DataSource::dataChanged, this, [this](data::Field *field) {
            if (!field)
                updateButtons();
        });
        connect(m_source, &data::DataSource::stateChanged, this, &DbNavigator::updateButtons);
        connect(m_source, &QObject::destroyed, this, &DbNavigator::updateButtons, Qt::QueuedConnection);
    }
    updateButtons();
}

void DbNavigator::setVisibleButtons(Buttons visible)
{
    m_visible = visible;
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setVisible(visible.testFlag(Button(1u << i)));
}

QString DbNavigator::hint(Button button) const
{
    return m_buttons[std::size_t(indexOf(button))]->toolTip();
}

void DbNavigator::setHint(Button button, const QString &hint)
{
    QToolButton *b = m_buttons[std::size_t(indexOf(button))];
    b->setToolTip(hint);
    b->setStatusTip(hint);
}

void DbNavigator::setHints(const QStringList &hints)
{
    for (std::size_t i = 0; i < m_buttons.size() && qsizetype(i) < hints.size(); ++i)
        setHint(Button(1u << i), hints[qsizetype(i)]);
}

QToolButton *DbNavigator::button(Button button) const
{
    return m_buttons[std::size_t(indexOf(button))];
}

void DbNavigator::click(Button which)
{
    QToolButton *b = button(which);
    if (m_visible.testFlag(which) && b->isEnabled())
        run(which);
}

void DbNavigator::updateButtons()
{
    const data::Dataset *ds = m_source ? m_source->dataset() : nullptr;
    const bool active = ds && ds->isActive();
    const bool editing = active && ds->isEditing();
    const bool inserting = active && ds->state() == data::DatasetState::Insert;
    const int count = active ? ds->recordCount() : 0;
    const int recNo = active ? ds->recNo() : 0;
    // While inserting, any move first posts or drops the new record.
    const bool canUp = active && (inserting ? count > 0 : recNo > 1);
    const bool canDown = active && (inserting ? count > 0 : recNo < count);
    const bool enabled[] = {
        canUp,                              // First
        canUp,                              // Prior
        canDown,                            // Next
        canDown,                            // Last
        active,                             // Insert
        active && (count > 0 || inserting), // Delete
        active && !editing,                 // Edit
        editing,                            // Post
        editing,                            // Cancel
        active,                             // Refresh
    };
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setEnabled(enabled[i]);
}

void DbNavigator::run(Button which)
{
    data::Dataset *ds = m_source ? m_source->dataset() : nullptr;
    if (!ds || !ds->isActive())
        return;
    try {
        switch (which) {
        case First:
            ds->first();
            break;
        case Prior:
            ds->prior();
            break;
        case Next:
            ds->next();
            break;
        case Last:
            ds->last();
            break;
        case Insert:
            ds->insert();
            break;
        case Delete:
            if (m_confirmDelete && m_messages && !m_messages->confirm(u"Smazat záznam?"_s))
                return;
            ds->deleteRecord();
            break;
        case Edit:
            ds->edit();
            break;
        case Post:
            ds->post();
            break;
        case Cancel:
            ds->cancel();
            break;
        case Refresh:
            ds->refresh();
            break;
        }
    } catch (const platform::Error &e) {
        if (m_messages)
            m_messages->error(e.message());
    }
    updateButtons();
    Q_EMIT clicked(which);
}

} // namespace widgets
