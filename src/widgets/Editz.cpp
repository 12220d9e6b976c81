#include "widgets/Editz.h"

#include "data/DataError.h"
#include "data/DataSource.h"
#include "data/Dataset.h"
#include "data/DateRules.h"
#include "data/Field.h"
#include "data/FieldText.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QList>
#include <QObject>

using namespace Qt::StringLiterals;

namespace widgets {

namespace {

enum class EnterMove
{
    None,
    Next,
    Prior,
    Swallow
};

// Enter stands for Tab: Shift goes backwards. With Ctrl or Alt a dialog does
// not move the focus on Tab either, but the key is still used up.
EnterMove enterMove(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return EnterMove::None;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return EnterMove::None;
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return EnterMove::Swallow;
    return (mods & Qt::ShiftModifier) ? EnterMove::Prior : EnterMove::Next;
}

// Shared by the four boxes: consumes Enter (also as a shortcut candidate, so
// no default button or window shortcut sees it) and tells where to go.
template <class Box> bool handleEnter(Box *box, QEvent *event, bool enterTab, bool (Box::*moveFocus)(bool))
{
    if (!enterTab)
        return false;
    const EnterMove move = enterMove(event);
    if (move == EnterMove::None)
        return false;
    event->accept();
    if (event->type() == QEvent::KeyPress && move != EnterMove::Swallow)
        (box->*moveFocus)(move == EnterMove::Next);
    return true;
}

bool fieldWritable(const data::Field *field)
{
    return field && !field->isReadOnly() && !field->isCalculated();
}

} // namespace

bool isEnterTabKey(const QObject *receiver, const QEvent *event)
{
    bool enterTab = false;
    if (const auto *e = qobject_cast<const TEditz *>(receiver))
        enterTab = e->enterTab();
    else if (const auto *d = qobject_cast<const TDBEditz *>(receiver))
        enterTab = d->enterTab();
    else if (const auto *c = qobject_cast<const TDBCheckBoxz *>(receiver))
        enterTab = c->enterTab();
    else if (const auto *b = qobject_cast<const TDBComboBoxz *>(receiver))
        enterTab = b->enterTab();
    return enterTab && enterMove(event) != EnterMove::None;
}

// ---------------------------------------------------------------- FieldLinkHub

// One per data source, a child of it. Connects once to the source and hands
// each change to the boxes of that field only; a whole-record change goes to
// every box.
class FieldLinkHub : public QObject
{
    Q_OBJECT

public:
    explicit FieldLinkHub(data::DataSource *source) : QObject(source)
    {
        connect(source, &data::DataSource::dataChanged, this, &FieldLinkHub::dataChanged);
        connect(source, &data::DataSource::updateData, this, &FieldLinkHub::updateData);
    }

    ~FieldLinkHub() override
    {
        for (DataControl *c : std::as_const(m_all))
            c->hubGone();
    }

    static FieldLinkHub *of(data::DataSource *source)
    {
        if (auto *hub = source->findChild<FieldLinkHub *>(QString(), Qt::FindDirectChildrenOnly))
            return hub;
        return new FieldLinkHub(source);
    }

    void add(DataControl *control, const data::Field *field)
    {
        m_all.append(control);
        m_byField[field].append(control);
    }

    void remove(DataControl *control, const data::Field *field)
    {
        m_all.removeOne(control);
        m_pending.removeOne(control);
        auto it = m_byField.find(field);
        if (it != m_byField.end()) {
            it->removeOne(control);
            if (it->isEmpty())
                m_byField.erase(it);
        }
    }

    void setPending(DataControl *control, bool pending)
    {
        if (!pending)
            m_pending.removeOne(control);
        else if (!m_pending.contains(control))
            m_pending.append(control);
    }

private:
    void dataChanged(data::Field *field)
    {
        if (!field) {
            const QList<DataControl *> all = m_all;
            for (DataControl *c : all)
                c->recordReloaded();
            return;
        }
        const auto it = m_byField.constFind(field);
        if (it == m_byField.cend())
            return;
        const QList<DataControl *> boxes = *it;
        for (DataControl *c : boxes)
            c->refreshFromField();
    }

    void updateData()
    {
        const QList<DataControl *> pending = m_pending;
        for (DataControl *c : pending)
            c->updateData();
    }

    QList<DataControl *> m_all;
    QList<DataControl *> m_pending; // boxes holding typed text; usually the focused one
    QHash<const data::Field *, QList<DataControl *>> m_byField;
};

// ---------------------------------------------------------------- DataControl

DataControl::~DataControl()
{
    if (m_hub)
        m_hub->remove(this, m_field);
}

void DataControl::setField(data::DataSource *source, const QString &fieldName)
{
    if (!source || !source->dataset())
        throw data::DatabaseError(data::DatabaseError::Kind::State,
                                  u"Pole '%1' nelze připojit, zdroj dat nemá tabulku"_s.arg(fieldName));
    setField(source, source->dataset()->fieldByName(fieldName));
}

void DataControl::link(data::DataSource *source, data::Field *field)
{
    if (m_hub)
        m_hub->remove(this, m_field);
    m_hub = nullptr;
    m_entered = false;
    Q_ASSERT(!field || !source || field->dataset() == source->dataset());
    m_source = source;
    m_field = source ? field : nullptr;
    m_dataset = m_field ? m_field->dataset() : nullptr;
    if (m_source && m_field) {
        m_hub = FieldLinkHub::of(m_source);
        m_hub->add(this, m_field);
    }
}

void DataControl::hubGone()
{
    m_hub = nullptr;
}

bool DataControl::bound() const
{
    return m_field && m_source && m_dataset && m_source->dataset() == m_dataset;
}

bool DataControl::active() const
{
    return bound() && m_dataset->isActive();
}

bool DataControl::ensureEditing()
{
    if (!active())
        return false;
    if (m_dataset->isEditing())
        return true;
    try {
        return m_source->edit();
    } catch (const platform::Error &e) {
        showError(e.message());
        return false;
    }
}

void DataControl::setPending(bool pending)
{
    if (m_hub)
        m_hub->setPending(this, pending);
}

void DataControl::showError(const QString &text) const
{
    if (m_messages)
        m_messages->error(text);
    else
        QApplication::beep();
}

QString DataControl::valueText() const
{
    if (!active())
        return QString();
    try {
        return m_field->asString();
    } catch (const platform::Error &) {
        return m_field->value().toString();
    }
}

void DataControl::enter()
{
    m_entered = true;
    m_entryValue = valueText();
}

bool DataControl::leaveChanged()
{
    if (!m_entered)
        return false;
    m_entered = false;
    return valueText() != m_entryValue;
}

void DataControl::recordReloaded()
{
    refreshFromField();
    if (m_entered)
        m_entryValue = valueText();
}

// ---------------------------------------------------------------- TEditz

TEditz::TEditz(QWidget *parent) : QLineEdit(parent) {}

bool TEditz::event(QEvent *event)
{
    if (handleEnter<QWidget>(this, event, m_enterTab, &TEditz::focusNextPrevChild))
        return true;
    return QLineEdit::event(event);
}

// ---------------------------------------------------------------- BoundBox

template <class Base> bool BoundBox<Base>::event(QEvent *event)
{
    if (handleEnter<QWidget>(this, event, m_enterTab, &BoundBox::focusNextPrevChild))
        return true;
    return Base::event(event);
}

template <class Base> void BoundBox<Base>::focusInEvent(QFocusEvent *event)
{
    if (!entered()) {
        enter();
        entering();
    }
    Base::focusInEvent(event);
}

template <class Base> void BoundBox<Base>::hideEvent(QHideEvent *event)
{
    // The toolkit hides a page before it moves the focus off it; the box is
    // left here, while it still knows what it was editing.
    Base::hideEvent(event);
    leave(Leave::Quiet);
}

template <class Base> void BoundBox<Base>::focusOutEvent(QFocusEvent *event)
{
    Base::focusOutEvent(event);
    switch (event->reason()) {
    case Qt::PopupFocusReason:
        // A context menu or a list over the box: the user is still in it.
        return;
    case Qt::ActiveWindowFocusReason:
        leave(Leave::Quiet);
        return;
    default:
        leave(Leave::Shown);
        return;
    }
}

template <class Base> bool BoundBox<Base>::leave(Leave how)
{
    return pass(how, false);
}

template <class Base> void BoundBox<Base>::checkpoint()
{
    pass(Leave::Shown, true);
}

template <class Base> bool BoundBox<Base>::pass(Leave how, bool stay)
{
    if (!entered())
        return true;
    // A message box shown while the text is written takes the activation
    // from the window; that is no second way out.
    if (m_leaving)
        return false;
    m_leaving = true;
    const bool written = leaving(how);
    m_leaving = false;
    if (!written)
        return false;
    const bool changed = leaveChanged();
    if (stay)
        enter();
    if (changed)
        exitedChanged();
    return true;
}

template class BoundBox<QLineEdit>;
template class BoundBox<QCheckBox>;
template class BoundBox<QComboBox>;

// ---------------------------------------------------------------- TDBEditz

TDBEditz::TDBEditz(QWidget *parent) : BoundBox(parent)
{
    connect(this, &QLineEdit::textEdited, this, &TDBEditz::userEdited);
}

TDBEditz::~TDBEditz()
{
    link(nullptr, nullptr);
}

void TDBEditz::setField(data::DataSource *source, data::Field *field)
{
    link(source, field);
    if (field && !fieldWritable(field))
        setReadOnly(true);
    applyMaxLength();
    refreshFromField();
}

void TDBEditz::setMaxChars(int chars)
{
    m_maxChars = chars;
    applyMaxLength();
}

void TDBEditz::applyMaxLength()
{
    const data::Field *f = field();
    int chars = m_maxChars;
    if (chars <= 0)
        chars = f && f->size() > 0 ? f->size() : 32767;
    setMaxLength(chars);
}

bool TDBEditz::acceptsChar(QChar c) const
{
    // Numbers refuse letters at once, as the user expects of an amount box;
    // the field's text rule still judges the whole text on leaving.
    const data::Field *f = field();
    if (dynamic_cast<const data::FloatField *>(f))
        return c.isDigit() || u"+-,.eE"_s.contains(c) || data::isGroupSeparator(c);
    if (dynamic_cast<const data::IntegerField *>(f))
        return c.isDigit() || c == u'+' || c == u'-' || data::isGroupSeparator(c);
    return true;
}

void TDBEditz::keyPressEvent(QKeyEvent *event)
{
    if (isReadOnly() || !bound()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_F7 && mods == Qt::ShiftModifier && m_picker) {
        pickDate();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier && isModified()) {
        reset();
        selectAll();
        event->accept();
        return;
    }
    const QString text = event->text();
    // Ctrl with a letter is a command (Ctrl+A selects all), whatever text the
    // keyboard reports with it; Ctrl+Alt is AltGr, which types.
    const bool command = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
    const bool printable = !command && !text.isEmpty() && text.at(0).isPrint();
    const bool typing = printable || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                        event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
                        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
    if (typing) {
        if (printable) {
            for (QChar c : text) {
                if (!acceptsChar(c)) {
                    QApplication::beep();
                    event->accept();
                    return;
                }
            }
        }
        if (!ensureEditing()) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TDBEditz::userEdited()
{
    if (!active())
        return;
    if (!dataSource()->dataset()->isEditing()) {
        // Pasted or dropped text: going into edit mode reloads the record,
        // so keep what the user put in.
        const QString typed = text();
        const int cursor = cursorPosition();
        if (!ensureEditing()) {
            reset();
            return;
        }
        if (text() != typed) {
            setText(typed);
            setCursorPosition(cursor);
        }
        setModified(true);
    }
    setPending(true);
}

void TDBEditz::entering()
{
    if (!isModified())
        refreshFromField(); // edit text, before the base class selects it
}

bool TDBEditz::leaving(Leave how)
{
    if (m_writing || (isModified() && !write(how == Leave::Quiet ? Refusal::Keep : Refusal::Show)))
        return false;
    refreshFromField();
    return true;
}

bool TDBEditz::pickDate()
{
    auto *date = dynamic_cast<data::DateField *>(field());
    if (!m_picker || !date || isReadOnly() || !active())
        return false;
    try {
        return data::KDatum(*m_picker, *dataSource()->dataset(), *date);
    } catch (const platform::Error &e) {
        showError(e.message());
        return false;
    }
}

bool TDBEditz::updateRecord()
{
    return !isModified() || write(Refusal::Show);
}

void TDBEditz::updateData()
{
    if (isModified())
        write(Refusal::Throw);
}

bool TDBEditz::write(Refusal refusal)
{
    if (!active()) {
        setPending(false);
        return true;
    }
    const QString typed = text();
    m_writing = true;
    try {
        data::Dataset *dataset = dataSource()->dataset();
        if (!dataset->isEditing() && !dataSource()->edit()) {
            m_writing = false;
            reset();
            return true;
        }
        field()->setText(typed);
    } catch (const platform::Error &e) {
        m_writing = false;
        if (text() != typed)
            setText(typed);
        setModified(true);
        setPending(true);
        if (refusal == Refusal::Keep)
            return false;
        if (!hasFocus() && isVisible())
            setFocus(Qt::OtherFocusReason);
        selectAll();
        if (refusal == Refusal::Throw)
            throw;
        showError(e.message());
        return false;
    }
    m_writing = false;
    setPending(false);
    refreshFromField();
    return true;
}

void TDBEditz::reset()
{
    setPending(false);
    refreshFromField();
}

void TDBEditz::refreshFromField()
{
    QString shown;
    if (active())
        shown = hasFocus() ? field()->editText() : field()->displayText();
    // Unchanged text is left alone so the cursor stays where the user put it.
    if (shown != text())
        setText(shown);
    else
        setModified(false);
}

// ---------------------------------------------------------------- TDBCheckBoxz

TDBCheckBoxz::TDBCheckBoxz(QWidget *parent) : BoundBox(parent) {}

TDBCheckBoxz::TDBCheckBoxz(const QString &text, QWidget *parent) : BoundBox(text, parent) {}

TDBCheckBoxz::~TDBCheckBoxz()
{
    link(nullptr, nullptr);
}

void TDBCheckBoxz::setField(data::DataSource *source, data::Field *field)
{
    link(source, field);
    if (field && !fieldWritable(field))
        m_readOnly = true;
    refreshFromField();
}

void TDBCheckBoxz::nextCheckState()
{
    if (m_readOnly || !fieldWritable(field()) || !ensureEditing())
        return;
    try {
        field()->setAsBoolean(!isChecked());
    } catch (const platform::Error &e) {
        showError(e.message());
    }
    refreshFromField();
}

void TDBCheckBoxz::refreshFromField()
{
    bool checked = false;
    if (active()) {
        try {
            checked = field()->asBoolean();
        } catch (const platform::Error &) {
            checked = false;
        }
    }
    if (checked != isChecked())
        setChecked(checked);
}

// ---------------------------------------------------------------- TDBComboBoxz

TDBComboBoxz::TDBComboBoxz(QWidget *parent) : BoundBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::activated, this, &TDBComboBoxz::chosen);
}

TDBComboBoxz::~TDBComboBoxz()
{
    link(nullptr, nullptr);
}

void TDBComboBoxz::setField(data::DataSource *source, data::Field *field)
{
    link(source, field);
    if (field && !fieldWritable(field))
        m_readOnly = true;
    refreshFromField();
}

void TDBComboBoxz::showPopup()
{
    if (m_readOnly || !active())
        return;
    QComboBox::showPopup();
}

void TDBComboBoxz::keyPressEvent(QKeyEvent *event)
{
    if (m_readOnly || !active()) {
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_F4:
        case Qt::Key_Space:
            event->accept();
            return;
        default:
            if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
                event->accept();
                return;
            }
        }
    }
    QComboBox::keyPressEvent(event);
}

void TDBComboBoxz::wheelEvent(QWheelEvent *event)
{
    if (m_readOnly || !active()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void TDBComboBoxz::chosen(int index)
{
    if (!active())
        return;
    if (m_readOnly || !ensureEditing()) {
        refreshFromField();
        return;
    }
    try {
        const QVariant value = itemData(index);
        if (value.isValid())
            field()->setValue(value);
        else
            field()->setText(itemText(index));
    } catch (const platform::Error &e) {
        showError(e.message());
    }
    refreshFromField();
}

void TDBComboBoxz::refreshFromField()
{
    int index = -1;
    if (active() && !field()->isNull()) {
        index = findData(field()->value());
        if (index < 0)
            index = findText(field()->displayText());
    }
    if (index != currentIndex())
        setCurrentIndex(index);
}

// ----------------------------------------------------------------

void setMessages(QWidget *root, platform::IMessages *messages)
{
    const QList<QWidget *> widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (auto *control = dynamic_cast<DataControl *>(w))
            control->setMessages(messages);
    }
}

} // namespace widgets

#include "Editz.moc"
#include "platform/Error.h"
