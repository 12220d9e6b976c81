#pragma once

#include "data/DataSource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QString>

class QKeyEvent;

namespace data {
class Dataset;
class Field;
class IDatePicker;
} // namespace data

namespace platform {
class IMessages;
}

namespace widgets {

class FieldLinkHub;

// Whether `event` is an Enter that a box of this unit will turn into a focus
// move. Windows that preview keys (an event filter on their boxes) skip such
// events, so Enter stays invisible to them as it is to the box itself.
bool isEnterTabKey(const QObject *receiver, const QEvent *event);

// What a data-aware box offers the link that feeds it. One link per data
// source tells only the boxes of the field that changed, so a window with
// hundreds of boxes does not repaint them all on every keystroke.
class DataControl
{
public:
    virtual ~DataControl();

    // Binds the box to `field`, which must belong to the source's dataset;
    // nullptrs unbind.
    virtual void setField(data::DataSource *source, data::Field *field) = 0;
    // The same by name; throws DatabaseError when the dataset has no such field.
    void setField(data::DataSource *source, const QString &fieldName);

    data::DataSource *dataSource() const { return m_source; }
    data::Field *field() const { return bound() ? m_field : nullptr; }
    // Message boxes for refused values; without them the box only keeps the
    // focus.
    platform::IMessages *messages() const { return m_messages; }
    void setMessages(platform::IMessages *messages) { m_messages = messages; }

protected:
    DataControl() = default;
    DataControl(const DataControl &) = delete;
    DataControl &operator=(const DataControl &) = delete;

    // Binds to `field` of the source's dataset; nullptrs unbind.
    void link(data::DataSource *source, data::Field *field);
    // True while the source still serves the dataset the field belongs to.
    bool bound() const;
    bool active() const;
    // Puts a browsing dataset into edit mode, as typing into a box does;
    // false (with the reason shown) when the record cannot be edited.
    bool ensureEditing();
    void setPending(bool pending);
    void showError(const QString &text) const;

    // The field's value as full-precision text, what exit rules compare.
    QString valueText() const;
    // Remembers the value at entry; on leaving, says whether it changed.
    void enter();
    bool leaveChanged();
    bool entered() const { return m_entered; }

    // The whole record was posted, cancelled, re-read or moved: the box
    // shows it, and an entered box takes its value as the one to compare
    // with, so only what the user types afterwards counts as a change.
    void recordReloaded();

    virtual void refreshFromField() = 0;
    // Writes pending input before a post; throws DatabaseError to stop it.
    virtual void updateData() = 0;

private:
    friend class FieldLinkHub;
    void hubGone();

    QPointer<data::DataSource> m_source;
    data::Dataset *m_dataset = nullptr;
    data::Field *m_field = nullptr;
    FieldLinkHub *m_hub = nullptr;
    platform::IMessages *m_messages = nullptr;
    QString m_entryValue;
    bool m_entered = false;
};

// The plain single-line box of the dialogs.
class TEditz : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(bool EnterTab READ enterTab WRITE setEnterTab)

public:
    explicit TEditz(QWidget *parent = nullptr);

    bool enterTab() const { return m_enterTab; }
    void setEnterTab(bool enterTab) { m_enterTab = enterTab; }

protected:
    bool event(QEvent *event) override;

private:
    bool m_enterTab = true;
};

// What the three bound boxes share: Enter as Tab, and the entry and exit
// that the editors' recalculations hang on. A box is entered when it gets the
// focus and left by one path, whichever way the user goes: the focus moving
// to another control, its page or window hiding, the window losing
// activation, a post (checkpoint()). Leaving writes the typed text and
// signals the exit once when the value changed; a refused text keeps the box
// entered. A menu popping up over the box does not leave it. `Base` is the
// toolkit control the box extends.
template <class Base> class BoundBox : public Base, public DataControl
{
public:
    using Base::Base;

    bool enterTab() const { return m_enterTab; }
    void setEnterTab(bool enterTab) { m_enterTab = enterTab; }

    // The box left and entered again where it is: typed text written, the
    // exit signalled when the value changed, the value remembered anew. A
    // post through the keyboard runs this first, so the lines that depend on
    // the box being typed into are not posted stale.
    void checkpoint();

    // How a box is left. Shown: a refused text is reported and keeps the
    // focus. Quiet: the user went elsewhere (another program, a page
    // hidden under the box); a refused text waits in the box for the next
    // way out or the post, which reports it.
    enum class Leave
    {
        Shown,
        Quiet
    };
    // The one way out; false when the typed text was refused and the box
    // stays entered.
    bool leave(Leave how = Leave::Shown);

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;

    // Runs on a new entry, after the value was remembered.
    virtual void entering() {}
    // Runs when the box is left, before the value is compared; false keeps
    // the box entered (a refused text).
    virtual bool leaving(Leave how)
    {
        Q_UNUSED(how);
        return true;
    }
    // The box was left with its field's value changed since the entry.
    virtual void exitedChanged() = 0;

private:
    bool pass(Leave how, bool stay);

    bool m_enterTab = true;
    bool m_leaving = false;
};

extern template class BoundBox<QLineEdit>;
extern template class BoundBox<QCheckBox>;
extern template class BoundBox<QComboBox>;

// The edit box bound to one field. Shows the field's display text, or its
// edit text while it has the focus; typing puts the record into edit mode;
// leaving writes the text through the field's text rule. A refused text keeps
// the focus, selected, and the field's message is shown.
class TDBEditz : public BoundBox<QLineEdit>
{
    Q_OBJECT
    Q_PROPERTY(bool EnterTab READ enterTab WRITE setEnterTab)

public:
    explicit TDBEditz(QWidget *parent = nullptr);
    ~TDBEditz() override;

    void setField(data::DataSource *source, data::Field *field) override;
    using DataControl::setField;

    // Characters the box accepts; 0 takes the field's size.
    int maxChars() const { return m_maxChars; }
    void setMaxChars(int chars);

    // The calendar for a date box: Shift+F7 opens it (see pickDate()).
    void setDatePicker(data::IDatePicker *picker) { m_picker = picker; }
    // Lets the user pick the field's date in the calendar (KDatum), for
    // Shift+F7 and for a click on the box's caption; false when the box is
    // not bound to a date field or the user cancelled.
    bool pickDate();

    // Writes typed text now; false when refused (focus kept, text selected,
    // message shown).
    bool updateRecord();
    // Drops typed text and shows the field again.
    void reset();

Q_SIGNALS:
    // The box was left and its field's value differs from when the box was
    // entered: the editors hang their recalculations on this.
    void exitChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;

    void entering() override;
    bool leaving(Leave how) override;
    void exitedChanged() override { Q_EMIT exitChanged(); }
    void refreshFromField() override;
    void updateData() override;

private:
    void applyMaxLength();
    bool acceptsChar(QChar c) const;
    enum class Refusal
    {
        Show,
        Throw,
        Keep
    };
    bool write(Refusal refusal);
    void userEdited();

    data::IDatePicker *m_picker = nullptr;
    int m_maxChars = 0;
    bool m_writing = false;
};

// The check box bound to a logical field; a click writes the field at once.
class TDBCheckBoxz : public BoundBox<QCheckBox>
{
    Q_OBJECT
    Q_PROPERTY(bool EnterTab READ enterTab WRITE setEnterTab)

public:
    explicit TDBCheckBoxz(QWidget *parent = nullptr);
    explicit TDBCheckBoxz(const QString &text, QWidget *parent = nullptr);
    ~TDBCheckBoxz() override;

    void setField(data::DataSource *source, data::Field *field) override;
    using DataControl::setField;

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

Q_SIGNALS:
    void exitChanged();

protected:
    void nextCheckState() override;

    void exitedChanged() override { Q_EMIT exitChanged(); }
    void refreshFromField() override;
    void updateData() override {}

private:
    bool m_readOnly = false;
};

// The drop-down list bound to a text field with a fixed list of values.
// Items added with data write that value (setComboBoxValue style); items
// without data write their text through the field's text rule.
class TDBComboBoxz : public BoundBox<QComboBox>
{
    Q_OBJECT
    Q_PROPERTY(bool EnterTab READ enterTab WRITE setEnterTab)

public:
    explicit TDBComboBoxz(QWidget *parent = nullptr);
    ~TDBComboBoxz() override;

    void setField(data::DataSource *source, data::Field *field) override;
    using DataControl::setField;

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

Q_SIGNALS:
    void exitChanged();

protected:
    void showPopup() override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

    void exitedChanged() override { Q_EMIT exitChanged(); }
    void refreshFromField() override;
    void updateData() override {}

private:
    void chosen(int index);

    bool m_readOnly = false;
};

// Hands the message boxes to every data-aware box below `root`, for windows
// that generate their boxes from a table.
void setMessages(QWidget *root, platform::IMessages *messages);

} // namespace widgets
