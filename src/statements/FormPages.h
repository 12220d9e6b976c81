#pragma once

#include "statements/FormLayout.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QTabWidget>

#include <functional>

namespace data {
class DataSource;
}
namespace platform {
class IMessages;
}
namespace widgets {
class TDBEditz;
}
class QLabel;

namespace statements {

// The pages of a form built from its layout: one tab per page, a grid of
// boxes and check boxes bound to the table's fields with the column legends
// under it. A caption that serves a box (the calendar of a date box, the copy
// of ">>") reports its clicks through linkActivated. Boxes of calculated
// fields are blue, read-only and skipped by Tab. The boxes at the seams take
// Enter and Shift+Enter to the boxes the layout names, switching pages as
// needed. A box left with its field's value changed runs the exit rule; a
// rule that fails shows its message. Every change of page (Ctrl+Tab, a click
// on a tab, showPage()) leaves the box first.
class FormPages : public QTabWidget
{
    Q_OBJECT

public:
    using ExitRule = std::function<void(const QString &field)>;

    FormPages(FormLayout layout, data::DataSource &source, platform::IMessages &messages,
              QWidget *parent = nullptr);
    ~FormPages() override;

    const FormLayout &formLayout() const { return m_layout; }
    // The box of `field`, any letter case; nullptr when the form has none.
    widgets::TDBEditz *box(const QString &field) const;
    // Every box, page by page in tab order.
    const QList<widgets::TDBEditz *> &boxes() const { return m_boxes; }
    // The boxes of one page in tab order.
    QList<widgets::TDBEditz *> pageBoxes(int page) const;
    // Every input (box or check box) of one page in tab order.
    QList<QWidget *> pageInputs(int page) const { return m_inputs.value(page); }
    // The box or check box of `field`, any letter case; nullptr when none.
    QWidget *input(const QString &field) const { return m_inputByField.value(field.toLower()); }
    // The field an input is bound to, empty for anything else.
    QString fieldOf(const QWidget *input) const { return m_fieldOf.value(input); }
    // The clickable caption serving `field`'s box; nullptr when none.
    QLabel *linkLabel(const QString &field, FormCell::Link kind) const;

    const ExitRule &exitRule() const { return m_exitRule; }
    void setExitRule(ExitRule rule) { m_exitRule = std::move(rule); }
    // Where a seam that leads out of the boxes puts the focus.
    void setCloseButton(QWidget *button) { m_closeButton = button; }

    // Shows a page with the focus on `focus`, or on the page's first box.
    // The box being left is written first; a refused text keeps the page
    // and the focus, and gives false.
    bool showPage(int index, QWidget *focus = nullptr);
    // Shows the page of `field`'s box and puts the focus there.
    bool focusBox(const QString &field);

signals:
    void linkActivated(statements::FormCell::Link kind, const QString &field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void build(data::DataSource &source);
    void boxLeft(const QString &field);
    bool followSeam(QWidget *box, const QString &target, bool forward);
    QWidget *makeCheck(const FormCell &cell, data::DataSource &source, QWidget *page);
    QLabel *makeLabel(const FormCell &cell, QWidget *page);

    FormLayout m_layout;
    platform::IMessages &m_messages;
    QList<widgets::TDBEditz *> m_boxes;
    QList<int> m_pageStart; // index into m_boxes of each page's first box, plus the end
    QHash<QString, widgets::TDBEditz *> m_byField; // lower-case field name
    QList<QList<QWidget *>> m_inputs;              // per page, tab order
    QHash<QString, QWidget *> m_inputByField;      // lower-case field name
    QHash<const QWidget *, QString> m_fieldOf;
    QHash<QString, QLabel *> m_links; // "date:" or "copy:" + lower-case field
    QHash<const QObject *, const FormSeam *> m_seams;
    ExitRule m_exitRule;
    QPointer<QWidget> m_closeButton;
};

} // namespace statements
