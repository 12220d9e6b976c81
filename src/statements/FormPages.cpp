#include "statements/FormPages.h"

#include "data/DataError.h"
#include "data/DataSource.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "platform/Error.h"
#include "platform/Messages.h"
#include "widgets/Editz.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace statements {

namespace {

// A caption that does something when clicked.
class ClickLabel : public QLabel
{
public:
    ClickLabel(const QString &text, std::function<void()> action, QWidget *parent)
        : QLabel(text, parent), m_action(std::move(action))
    {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        QLabel::mousePressEvent(event);
        if (m_action)
            m_action();
    }

private:
    std::function<void()> m_action;
};

void styleLabel(QLabel *label, const FormCell &cell)
{
    label->setTextFormat(Qt::PlainText);
    if (cell.bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    switch (cell.kind) {
    case FormCell::Kind::Heading: {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
        label->setAlignment(Qt::AlignCenter);
        break;
    }
    case FormCell::Kind::Cross:
        label->setAlignment(Qt::AlignCenter);
        break;
    default:
        label->setAlignment(Qt::AlignVCenter | (cell.alignRight ? Qt::AlignRight : Qt::AlignLeft));
        break;
    }
    if (cell.wrap) {
        label->setWordWrap(true);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
}

QString linkKey(FormCell::Link kind, const QString &field)
{
    return (kind == FormCell::Link::Date ? u"date:"_s : u"copy:"_s) + field.toLower();
}

// Legends under the grid, in a smaller font, each on its own lines as
// written: a legend is never wrapped (a lone "8" on a line of its own) nor
// cut, whatever the font scaling; the window grows to show them. Two
// columns where they fit beside each other within the grid's width, else one.
QWidget *legendBlock(const QStringList &legends, int gridWidth, QWidget *page)
{
    auto *block = new QWidget(page);
    block->setObjectName(u"legends"_s);
    auto *grid = new QGridLayout(block);
    grid->setContentsMargins(0, 0, 0, 0);
    const int spacing = 16;
    grid->setHorizontalSpacing(spacing);
    grid->setVerticalSpacing(0);
    QFont small = block->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    const QFontMetrics metrics(small);
    const qsizetype half = (legends.size() + 1) / 2;
    int widest = 0;
    for (const QString &legend : legends) {
        for (const QString &line : legend.split(u'\n'))
            widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    const qsizetype perColumn = 2 * widest + spacing <= gridWidth ? half : legends.size();
    for (qsizetype i = 0; i < legends.size(); ++i) {
        auto *label = new QLabel(legends[i], block);
        label->setTextFormat(Qt::PlainText);
        label->setFont(small);
        label->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
        grid->addWidget(label, int(i % perColumn), int(i / perColumn), Qt::AlignLeft | Qt::AlignTop);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    return block;
}

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

FormPages::FormPages(FormLayout layout, data::DataSource &source, platform::IMessages &messages,
                     QWidget *parent)
    : QTabWidget(parent), m_layout(std::move(layout)), m_messages(messages)
{
    // The tabs are reached with Ctrl+1... and the seams; Tab stays in the boxes.
    tabBar()->setFocusPolicy(Qt::NoFocus);
    // A click on a tab goes through showPage(), which leaves the box first
    // and keeps the page when the box refuses its text.
    tabBar()->installEventFilter(this);
    build(source);
    // A post while a box holds a changed value (F9, the navigator, the close
    // question) first runs that box's exit rule, as leaving it would.
    connect(&source, &data::DataSource::updateData, this, [this] {
        auto *focus = qobject_cast<widgets::TDBEditz *>(QApplication::focusWidget());
        if (focus && m_boxes.contains(focus))
            focus->checkpoint();
    });
}

FormPages::~FormPages() = default;

void FormPages::build(data::DataSource &source)
{
    data::Dataset *dataset = source.dataset();
    if (!dataset)
        throw data::DatabaseError(data::DatabaseError::Kind::State,
                                  u"Tabulka %1 není otevřena"_s.arg(m_layout.table));

    const QFontMetrics metrics(font());
    const int amountWidth = metrics.horizontalAdvance(u"-9999999999"_s) + 12;
    QPalette calculated = palette();
    calculated.setColor(QPalette::Text, Qt::blue);

    for (const FormPage &def : std::as_const(m_layout.pages)) {
        auto *page = new QWidget(this);
        if (def.helpContext > 0) {
            page->setProperty("helpContext", def.helpContext);
            page->setToolTip(u"Nápověda (F1)"_s);
            page->setStatusTip(u"Nápověda (F1)"_s);
        }
        auto *column = new QVBoxLayout(page);
        auto *grid = new QGridLayout;
        grid->setHorizontalSpacing(3);
        grid->setVerticalSpacing(3);
        column->addLayout(grid);
        m_pageStart.append(int(m_boxes.size()));
        m_inputs.append(QList<QWidget *>());
        // Flowing rows: the caption in the first column, the rest of the row
        // side by side after it, so a row's boxes do not take the widths of
        // other rows' boxes.
        QHash<int, QHBoxLayout *> flows;
        const auto place = [&](QWidget *w, const FormCell &cell) {
            if (!def.flowingRows) {
                grid->addWidget(w, cell.row, cell.column, 1, cell.columnSpan);
            } else if (cell.column == 0) {
                grid->addWidget(w, cell.row, 0, 1, cell.columnSpan > 1 ? 2 : 1);
            } else {
                QHBoxLayout *&flow = flows[cell.row];
                if (!flow) {
                    flow = new QHBoxLayout;
                    flow->setSpacing(6);
                    grid->addLayout(flow, cell.row, 1);
                }
                flow->addWidget(w);
            }
        };
        for (const FormCell &cell : def.cells) {
            if (cell.kind == FormCell::Kind::Check) {
                QWidget *check = makeCheck(cell, source, page);
                place(check, cell);
                continue;
            }
            if (!cell.isBox()) {
                place(makeLabel(cell, page), cell);
                continue;
            }
            auto *box = new widgets::TDBEditz(page);
            box->setObjectName(u"DBEdit"_s + cell.text);
            box->setMessages(&m_messages);
            data::Field *bound = dataset->fieldByName(cell.text);
            // Messages about the value name the box, not the table's field.
            if (!cell.label.isEmpty())
                bound->setDisplayLabel(cell.label);
            box->setField(&source, bound);
            if (cell.maxChars > 0)
                box->setMaxChars(cell.maxChars);
            box->setToolTip(cell.hint);
            box->setStatusTip(cell.hint);
            if (cell.helpContext > 0)
                box->setProperty("helpContext", cell.helpContext);
            if (const QString anchor = m_layout.anchorOf(cell); !anchor.isEmpty())
                box->setProperty("helpAnchor", anchor);
            data::Field *field = box->field();
            const bool amount = dynamic_cast<data::FloatField *>(field) != nullptr;
            if (amount) {
                box->setAlignment(Qt::AlignRight);
                if (cell.columnSpan == 1)
                    box->setFixedWidth(amountWidth);
            }
            if (def.flowingRows && !amount) {
                // As wide as what it takes, a date as a date.
                const bool date = dynamic_cast<data::DateField *>(field) != nullptr;
                const int chars = date ? 11 : box->maxLength() > 100 ? 8 : box->maxLength();
                box->setFixedWidth(std::clamp(metrics.averageCharWidth() * (chars + 2) + 10, 36, 340));
            }
            if (field->isCalculated()) {
                box->setReadOnly(true);
                box->setFocusPolicy(Qt::ClickFocus);
                box->setPalette(calculated);
            }
            if (const FormSeam *seam = m_layout.seam(cell.text)) {
                box->setEnterTab(false);
                box->installEventFilter(this);
                m_seams.insert(box, seam);
            }
            const QString name = cell.text;
            connect(box, &widgets::TDBEditz::exitChanged, this, [this, name] { boxLeft(name); });
            place(box, cell);
            m_boxes.append(box);
            m_byField.insert(cell.text.toLower(), box);
            m_inputs.last().append(box);
            m_inputByField.insert(cell.text.toLower(), box);
            m_fieldOf.insert(box, cell.text);
        }
        for (QHBoxLayout *flow : std::as_const(flows))
            flow->addStretch(1);
        if (def.flowingRows)
            grid->setColumnStretch(1, 1);
        else if (def.stretchColumn >= 0)
            grid->setColumnStretch(def.stretchColumn, 1);
        if (!def.legends.isEmpty()) {
            column->addSpacing(8);
            column->addWidget(legendBlock(def.legends, grid->sizeHint().width(), page));
        }
        column->addStretch(1);
        addTab(page, def.title);
    }
    m_pageStart.append(int(m_boxes.size()));
}

QWidget *FormPages::makeCheck(const FormCell &cell, data::DataSource &source, QWidget *page)
{
    auto *check = new widgets::TDBCheckBoxz(cell.caption, page);
    check->setObjectName(u"DBCheckBox"_s + cell.text);
    check->setField(&source, source.dataset()->fieldByName(cell.text));
    check->setToolTip(cell.hint);
    check->setStatusTip(cell.hint);
    if (const QString anchor = m_layout.anchorOf(cell); !anchor.isEmpty())
        check->setProperty("helpAnchor", anchor);
    if (!cell.uncheckedCaption.isEmpty()) {
        // The caption tells the state: "Za zdaňovací období" or the part.
        const FormCell captions = cell;
        const auto follow = [check, captions] { check->setText(captions.captionFor(check->isChecked())); };
        connect(check, &QCheckBox::toggled, this, follow);
        follow();
    }
    if (m_layout.seam(cell.text)) {
        check->setEnterTab(false);
        check->installEventFilter(this);
        m_seams.insert(check, m_layout.seam(cell.text));
    }
    m_inputs.last().append(check);
    m_inputByField.insert(cell.text.toLower(), check);
    m_fieldOf.insert(check, cell.text);
    return check;
}

QLabel *FormPages::makeLabel(const FormCell &cell, QWidget *page)
{
    QLabel *label = nullptr;
    if (cell.linkKind == FormCell::Link::None) {
        label = new QLabel(cell.text, page);
    } else {
        const FormCell::Link kind = cell.linkKind;
        const QString field = cell.link;
        label = new ClickLabel(
            cell.text, [this, kind, field] { emit linkActivated(kind, field); }, page);
        label->setObjectName(u"Label"_s + field + (kind == FormCell::Link::Copy ? u"Copy"_s : QString()));
        m_links.insert(linkKey(kind, field), label);
    }
    if (!cell.hint.isEmpty()) {
        label->setToolTip(cell.hint);
        label->setStatusTip(cell.hint);
    }
    styleLabel(label, cell);
    return label;
}

QLabel *FormPages::linkLabel(const QString &field, FormCell::Link kind) const
{
    return m_links.value(linkKey(kind, field));
}

widgets::TDBEditz *FormPages::box(const QString &field) const
{
    return m_byField.value(field.toLower());
}

QList<widgets::TDBEditz *> FormPages::pageBoxes(int page) const
{
    if (page < 0 || page >= count())
        return {};
    return m_boxes.mid(m_pageStart[page], m_pageStart[page + 1] - m_pageStart[page]);
}

void FormPages::boxLeft(const QString &field)
{
    if (!m_exitRule)
        return;
    try {
        m_exitRule(field);
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
    }
}

bool FormPages::showPage(int index, QWidget *focus)
{
    if (index < 0 || index >= count())
        return false;
    QWidget *current = QApplication::focusWidget();
    auto *box = qobject_cast<widgets::TDBEditz *>(current);
    if (box && m_boxes.contains(box) && !box->updateRecord())
        return false;
    if (index != currentIndex()) {
        // Leave the box before its page hides, so its exit rule runs as on
        // any other way out of it.
        if (current && isAncestorOf(current))
            setFocus(Qt::OtherFocusReason);
        setCurrentIndex(index);
    }
    if (!focus) {
        for (QWidget *b : pageInputs(index)) {
            if (b->focusPolicy() & Qt::TabFocus) {
                focus = b;
                break;
            }
        }
    }
    // A page of calculated boxes only leaves the keys with the close button.
    if (!focus)
        focus = m_closeButton;
    if (focus)
        focus->setFocus(Qt::TabFocusReason);
    return true;
}

bool FormPages::focusBox(const QString &field)
{
    QWidget *target = input(field);
    const int page = m_layout.pageOf(field);
    return target && showPage(page, target);
}

bool FormPages::followSeam(QWidget *box, const QString &target, bool forward)
{
    if (target.isEmpty())
        return focusNextPrevChild(forward);
    if (target == FormSeam::CloseButton) {
        const int page = int(indexOf(box->parentWidget())) + 1;
        return m_closeButton && showPage(page < count() ? page : currentIndex(), m_closeButton);
    }
    return focusBox(target);
}

void FormPages::keyPressEvent(QKeyEvent *event)
{
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && (event->modifiers() & Qt::ControlModifier) && count() > 1) {
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        showPage((currentIndex() + (back ? count() - 1 : 1)) % count());
        event->accept();
        return;
    }
    QTabWidget::keyPressEvent(event);
}

bool FormPages::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tabBar()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton)
                return true;
            const int index = tabBar()->tabAt(mouse->position().toPoint());
            if (index >= 0 && index != currentIndex())
                showPage(index);
            return true;
        }
        case QEvent::Wheel:
            return true;
        default:
            return QTabWidget::eventFilter(watched, event);
        }
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const FormSeam *seam = isEnter(key) ? m_seams.value(watched) : nullptr;
        if (seam) {
            // Taken also as a shortcut candidate, so no default button sees it.
            event->accept();
            if (event->type() == QEvent::KeyPress) {
                const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
                auto *box = static_cast<QWidget *>(watched);
                if (mods == Qt::NoModifier)
                    followSeam(box, seam->enter, true);
                else if (mods == Qt::ShiftModifier)
                    followSeam(box, seam->shiftEnter, false);
            }
            return true;
        }
    }
    return QTabWidget::eventFilter(watched, event);
}

} // namespace statements
