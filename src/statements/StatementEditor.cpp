#include "statements/StatementEditor.h"

#include "data/DataError.h"
#include "data/DataSource.h"
#include "data/Dataset.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "platform/Messages.h"
#include "statements/EditorRules.h"
#include "statements/FormPages.h"
#include "widgets/DbNavigator.h"
#include "widgets/Editz.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace statements {

namespace {

QPushButton *button(const QString &text, const QString &hint, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    b->setDefault(false);
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        b->setStatusTip(hint);
    }
    return b;
}

} // namespace

StatementEditor::StatementEditor(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
                                 EditorSpec spec, QWidget *parent)
    : QDialog(parent), m_dm(dm), m_messages(messages), m_place(std::move(ini), spec.placeName),
      m_spec(std::move(spec))
{
    Q_ASSERT(m_spec.table && m_spec.source);
    setObjectName(m_spec.placeName);
    setWindowTitle(m_spec.caption);
    setModal(true);
    // F1 outside the pages (on the navigator, a button) opens the form's
    // first topic.
    if (!m_spec.layout.pages.isEmpty())
        setProperty("helpContext", m_spec.layout.pages.first().helpContext);

    auto *layout = new QVBoxLayout(this);
    m_pages = new FormPages(m_spec.layout, *m_spec.source, messages, this);
    m_pages->setExitRule([this](const QString &field) { runExitRule(field); });
    layout->addWidget(m_pages, 1);

    auto *row = new QHBoxLayout;
    m_navigator = new widgets::DbNavigator(m_spec.source, widgets::DbNavigator::EditButtons, this);
    m_navigator->setMessages(&messages);
    m_navigator->setHint(widgets::DbNavigator::Edit, u"Opravit záznam (F4)"_s);
    m_navigator->setHint(widgets::DbNavigator::Post, u"Uložit záznam (F9)"_s);
    m_navigator->setHint(widgets::DbNavigator::Cancel, u"Stornovat změny (Esc)"_s);
    row->addWidget(m_navigator);
    row->addStretch(1);
    m_back = button(u"<<"_s, m_spec.backHint, this);
    m_back->setFocusPolicy(Qt::NoFocus);
    m_back->setEnabled(m_spec.backKind != StatementKind::None);
    m_forward = button(m_spec.forwardText, m_spec.forwardHint, this);
    m_forward->setFocusPolicy(Qt::NoFocus);
    m_forward->setEnabled(m_spec.forwardKind != StatementKind::None);
    m_close = button(u"&Zavřít"_s, QString(), this);
    row->addWidget(m_back);
    row->addWidget(m_forward);
    row->addSpacing(12);
    row->addWidget(m_close);
    layout->addLayout(row);
    m_pages->setCloseButton(m_close);

    connect(m_back, &QPushButton::clicked, this, [this] { goTo(m_spec.backKind); });
    connect(m_forward, &QPushButton::clicked, this, [this] { goTo(m_spec.forwardKind); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);

    // The window sees every key before the box that has the focus.
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *w : children) {
        if (w->focusPolicy() != Qt::NoFocus)
            w->installEventFilter(this);
    }

    m_place.restore(this, QPoint(0, 0), QPoint(77, 80));
}

StatementEditor::~StatementEditor() = default;

widgets::TDBEditz *StatementEditor::box(const QString &field) const
{
    return m_pages->box(field);
}

void StatementEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        m_pages->showPage(0);
    }
}

void StatementEditor::goTo(StatementKind kind)
{
    if (kind == StatementKind::None)
        return;
    m_nextKind = kind;
    if (!close())
        m_nextKind = StatementKind::None;
}

bool StatementEditor::handleKey(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (mods == Qt::ControlModifier && key >= Qt::Key_1 && key <= Qt::Key_9) {
        const int page = key - Qt::Key_1;
        if (page >= m_pages->count())
            return false;
        m_pages->showPage(page);
        return true;
    }
    if (mods != Qt::NoModifier)
        return false;
    data::Dataset &ds = table();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The last box of a form hands Enter on to "&Zavřít"; there it
        // closes, as the button's own key would.
        if (m_close->hasFocus()) {
            m_close->click();
            return true;
        }
        return false;
    case Qt::Key_F4:
        if (ds.isActive() && !ds.isEditing()) {
            try {
                ds.edit();
            } catch (const platform::Error &e) {
                m_messages.error(e.message());
            }
        }
        return true;
    case Qt::Key_F9:
        postEdited(ds, m_messages);
        return true;
    case Qt::Key_Escape:
        if (escapeRequest(ds, m_messages))
            close();
        return true;
    case Qt::Key_PageUp:
        if (m_spec.backKind == StatementKind::None)
            return false;
        goTo(m_spec.backKind);
        return true;
    case Qt::Key_PageDown:
        if (m_spec.forwardKind == StatementKind::None)
            return false;
        goTo(m_spec.forwardKind);
        return true;
    default:
        return false;
    }
}

bool StatementEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && !widgets::isEnterTabKey(watched, event) &&
        handleKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void StatementEditor::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void StatementEditor::done(int result)
{
    if (m_closing)
        return;
    if (!closeRequest(table(), m_messages, windowTitle()))
        return;
    m_closing = true;
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)))
        m_place.save(this);
    // Another computer may have changed the statement meanwhile; the next
    // window reads it afresh.
    try {
        m_dm.reopenTable(table());
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
    }
    QDialog::done(result);
    m_closing = false;
}

} // namespace statements
