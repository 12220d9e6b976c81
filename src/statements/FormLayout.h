#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// The pages of the big statement forms described as data: which box sits
// where, bound to which field, with which hint, in which tab order, and
// where Enter leaves a page. The windows build their pages from this
// (FormPages); the command line and the tests read it to know which fields a
// user can type into.
namespace statements {

// One cell of a page's grid.
struct FormCell
{
    enum class Kind : std::uint8_t
    {
        Box,     // an edit box bound to the field named by `text`
        Text,    // a caption
        Heading, // a caption in bold
        Cross,   // a column the form no longer uses ("X")
        Check,   // a check box bound to the field named by `text`
        Choice,  // a drop-down list of `choices` bound to the field named by `text`
    };

    // What a click on a caption does to the box of the field named by `link`.
    enum class Link : std::uint8_t
    {
        None,
        Date, // the calendar for a date box
        Copy, // its counterpart's value copied into it (">>")
    };

    Kind kind = Kind::Text;
    QString text;
    int row = 0;
    int column = 0;
    int columnSpan = 1;
    QString hint;
    // Box: how a message about its value names it, as the user finds it on
    // the form ("sl. 1, leden", "ř. 8"); empty leaves the field's name.
    QString label;
    // Box: characters accepted; 0 takes the field's size.
    int maxChars = 0;
    // Box: its own help topic, where it differs from the page's.
    int helpContext = 0;
    // Box: its place in the help ("vdvl-sl9"); the boxes of one column of
    // the form share it. Empty: the layout's prefix and the field's name.
    QString helpAnchor;
    // Text: wraps within its cell; a long caption beside a box.
    bool wrap = false;
    // Text: right-aligned, as the row and line numbers are.
    bool alignRight = false;
    // Text: in bold, left-aligned, as the headings of a block of boxes are.
    bool bold = false;
    Link linkKind = Link::None;
    QString link;
    // Check: its caption, and the one it shows unchecked where that differs.
    QString caption;
    QString uncheckedCaption;
    // Choice: the texts of the list, the only ones the field takes.
    QStringList choices;

    bool isBox() const { return kind == Kind::Box; }
    // Anything the user types into or ticks: a box, a check box, a list.
    bool isInput() const { return kind == Kind::Box || kind == Kind::Check || kind == Kind::Choice; }
    // The caption a check box shows in that state.
    QString captionFor(bool checked) const
    {
        return checked || uncheckedCaption.isEmpty() ? caption : uncheckedCaption;
    }
};

// A box at a page seam handles Enter itself (its EnterTab is false): Enter
// and Shift+Enter lead to the named boxes, on whatever page they are. An
// empty target moves as Tab would.
struct FormSeam
{
    // A target that is no box: the window's close button.
    static inline const QString CloseButton = QStringLiteral("&Zavřít");

    QString box;
    QString enter;
    QString shiftEnter;
};

struct FormPage
{
    QString title; // the tab, "Stránka 1"
    int helpContext = 0;
    // The grid column that takes the width the boxes leave; -1 for none.
    int stretchColumn = -1;
    // Rows of labelled boxes: each row's caption in the first column, its
    // other cells side by side after it, and each text box as wide as the
    // characters it takes.
    bool flowingRows = false;
    // Boxes in tab order; the other cells anywhere in between.
    QList<FormCell> cells;
    // Column legends shown under the grid.
    QStringList legends;
};

struct FormLayout
{
    QString table;
    // The help's anchors of this form begin with it ("vdvl").
    QString helpPrefix;
    QList<FormPage> pages;
    QList<FormSeam> seams;

    // The box, check box or list bound to `field` (any letter case),
    // nullptr when there is none.
    const FormCell *box(const QString &field) const;
    // The page holding the box of `field`, -1 when there is none.
    int pageOf(const QString &field) const;
    // Every input's field, page by page in tab order.
    QStringList boxFields() const;
    const FormSeam *seam(const QString &field) const;
    // Where F1 in the box opens the help.
    QString anchorOf(const FormCell &box) const;
};

// Builders of the recurring shapes.
namespace cells {

FormCell box(const QString &field, int row, int column, const QString &hint, int columnSpan = 1);
FormCell text(const QString &text, int row, int column, int columnSpan = 1);
FormCell heading(const QString &text, int row, int column, int columnSpan = 1);
FormCell number(const QString &text, int row, int column);
FormCell cross(int row, int column);
// A caption that wraps, beside a box.
FormCell caption(const QString &text, int row, int column, int columnSpan);
FormCell check(const QString &field, int row, int column, const QString &caption, const QString &hint,
               int columnSpan = 1);

} // namespace cells

// The months' names as the forms print them, "leden" ... "prosinec".
const QStringList &monthNames();

// The two statements' pages.
FormLayout vdvlLayout();
FormLayout vdvsLayout();

} // namespace statements
