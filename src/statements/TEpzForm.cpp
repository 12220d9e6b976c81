#include "statements/TEpzForm.h"
#include "statements/TableLayouts.h"

#include "data/DataError.h"
#include "data/Dataset.h"
#include "data/FieldNames.h"
#include "data/StatusSink.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "platform/Messages.h"
#include "statements/EditorRules.h"
#include "widgets/DbGrid.h"
#include "widgets/DbNavigator.h"
#include "widgets/Editz.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace statements {

namespace {

using namespace data::fields;

constexpr int NameRole = Qt::UserRole + 2;

// What the window adds to the places' boxes of vpzLayout(), which the
// window shares with qesto-cli set and the import: the grid's column titles
// and the boxes' widths.
struct Column
{
    data::FieldName field;
    const char16_t *title; // of the grid column
    int chars;             // width of the box
};

constexpr Column columns[] = {
    {Vpz::N3, u"Název místa", 24}, {Vpz::C4, u"Počet zam.", 8},          {Vpz::N5, u"Název obce", 24},
    {Vpz::N6, u"Kód obce", 10},    {Vpz::N7, u"Název území okresu", 24},
};

int widthOf(const QString &field)
{
    for (const Column &c : columns)
        if (field == c.field)
            return c.chars;
    return 24;
}

} // namespace

TEpzForm::TEpzForm(data::TDM1 &dm, platform::IMessages &messages, SettlementIni ini, QWidget *parent)
    : QDialog(parent), m_dm(dm), m_messages(messages), m_place(std::move(ini), u"PocetZamestnancu"_s)
{
    setObjectName(u"EpzForm"_s);
    setWindowTitle(u"Počet zaměstnanců"_s);
    setProperty("helpContext", 16);
    auto *layout = new QVBoxLayout(this);

    m_group = new QGroupBox(this);
    m_group->setObjectName(u"GroupBox1"_s);
    m_group->setToolTip(u"Nápověda (F1)"_s);
    m_group->setStatusTip(u"Nápověda (F1)"_s);
    m_group->setProperty("helpContext", 16);
    m_group->setProperty("helpPrefix", u"vpz"_s);
    auto *boxes = new QGridLayout(m_group);
    // Captions stand in the row above their boxes, in the boxes' columns.
    const FormPage page = vpzLayout().pages.first();
    for (const FormCell &cell : page.cells) {
        if (cell.kind != FormCell::Kind::Text)
            continue;
        auto *caption = new QLabel(cell.text, m_group);
        boxes->addWidget(caption, 0, cell.column);
    }
    for (const FormCell &cell : page.cells) {
        if (cell.kind != FormCell::Kind::Box)
            continue;
        const QString &field = cell.text;
        auto *box = new TDBEditz(m_group);
        box->setObjectName(u"DBEdit"_s + field);
        box->setField(&dm.VpzSource(), field);
        box->setToolTip(cell.hint);
        box->setStatusTip(cell.hint);
        box->setMinimumWidth(box->fontMetrics().averageCharWidth() * (widthOf(field) + 2));
        if (auto *caption = qobject_cast<QLabel *>(boxes->itemAtPosition(0, cell.column)->widget()))
            caption->setBuddy(box);
        boxes->addWidget(box, 1, cell.column);
        m_boxes.insert(field.toLower(), box);
    }
    // The last box leads back to the first instead of out of the group.
    box(Vpz::N7)->setEnterTab(false);
    layout->addWidget(m_group);

    m_grid = new DbGrid(this);
    m_grid->setObjectName(u"DBGrid1"_s);
    for (const Column &c : columns)
        m_grid->addColumn(c.field.toString(), QString::fromUtf16(c.title));
    m_grid->setCellEditing(false);
    m_grid->setRowSelect(true);
    m_grid->setConfirmDelete(false);
    m_grid->setMessages(&messages);
    m_grid->setDataSource(&dm.VpzSource());
    layout->addWidget(m_grid, 1);

    auto *buttons = new QHBoxLayout;
    m_navigator = new DbNavigator(&dm.VpzSource(), DbNavigator::RecordButtons, this);
    m_navigator->setObjectName(u"DBNavigator1"_s);
    m_navigator->setHints({u"První záznam (Ctrl+Home)"_s, u"Předchozí záznam (PgUp)"_s,
                           u"Další záznam (PgDn)"_s, u"Poslední záznam (Ctrl+End)"_s,
                           u"Vložit záznam (Insert nebo F2)"_s, u"Smazat záznam (Ctrl+Del nebo Ctrl+Y)"_s,
                           u"Opravit záznam (F4)"_s, u"Uložit záznam (F9)"_s, u"Stornovat změny (Esc)"_s});
    m_navigator->setConfirmDelete(false);
    m_navigator->setMessages(&messages);
    buttons->addWidget(m_navigator);
    buttons->addStretch();
    m_back = new QPushButton(u"<<"_s, this);
    m_back->setObjectName(u"ButtonBack"_s);
    m_back->setToolTip(u"Vyúčtování daně z příjmů ze závislé činnosti"_s);
    m_back->setStatusTip(m_back->toolTip());
    m_forward = new QPushButton(u">>"_s, this);
    m_forward->setObjectName(u"ButtonNext"_s);
    m_forward->setToolTip(u"Příloha k vyúčtování - opravy"_s);
    m_forward->setStatusTip(m_forward->toolTip());
    for (QPushButton *b : {m_back, m_forward}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    m_close = new QPushButton(u"&Zavřít"_s, this);
    m_close->setObjectName(u"ButtonClose"_s);
    m_close->setAutoDefault(false);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);

    connect(m_back, &QPushButton::clicked, this,
            [this] { goTo(neighbour(StatementKind::EmployeeCount, Direction::Backward)); });
    connect(m_forward, &QPushButton::clicked, this,
            [this] { goTo(neighbour(StatementKind::EmployeeCount, Direction::Forward)); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);

    widgets::setMessages(this, &messages);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);

    // A new place of work is typed into the boxes, starting with its name.
    m_dm.setVpzNewRecordHook([this] { box(Vpz::N3)->setFocus(Qt::OtherFocusReason); });

    // The offers of municipalities follow what is typed, accents optional,
    // so the list is filled anew on every keystroke rather than filtered.
    m_offers = new QStandardItemModel(this);
    m_completer = new QCompleter(m_offers, this);
    m_completer->setObjectName(u"CompleterObce"_s);
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    // The popup shows name, district and code; the box receives the name.
    m_completer->setCompletionRole(NameRole);
    m_completer->setMaxVisibleItems(12);
    m_completer->setWidget(box(Vpz::N5));
    connect(box(Vpz::N6), &QLineEdit::textEdited, this, &TEpzForm::codeTyped);
    connect(box(Vpz::N5), &QLineEdit::textEdited, this, &TEpzForm::nameTyped);
    connect(m_completer, qOverload<const QModelIndex &>(&QCompleter::activated), this,
            &TEpzForm::municipalityChosen);
    // The box takes Enter as Tab before the completer could choose with it.
    m_completer->popup()->installEventFilter(this);

    resize(720, 420);
    m_place.restore(this, QPoint(16, 8), QPoint(96, 88));
    m_nextKind = StatementKind::None;
}

TEpzForm::~TEpzForm()
{
    m_dm.setVpzNewRecordHook({});
}

void TEpzForm::setMunicipalities(MunicipalityLookup lookup)
{
    m_municipalities = std::move(lookup);
}

// A value from the list goes only where the user has typed nothing.
void TEpzForm::fillEmpty(const QString &field, const QString &value)
{
    data::Dataset &ds = vpz();
    TDBEditz *target = box(field);
    if (value.isEmpty() || !ds.isEditing() || !target->text().trimmed().isEmpty())
        return;
    try {
        ds.fieldByName(field)->setAsString(value);
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
    }
}

void TEpzForm::codeTyped(const QString &code)
{
    if (!m_municipalities.byCode || code.trimmed().size() != 6)
        return;
    if (const std::optional<Municipality> m = m_municipalities.byCode(code.trimmed())) {
        fillEmpty(Vpz::N5, m->name.section(u" - "_s, -1));
        fillEmpty(Vpz::N7, m->district);
    }
}

void TEpzForm::nameTyped(const QString &name)
{
    m_offers->clear();
    if (!m_municipalities.byName || name.trimmed().size() < 2)
        return;
    for (const Municipality &m : m_municipalities.byName(name, 40)) {
        auto *item = new QStandardItem(u"%1, okres %2, kód %3"_s.arg(m.name, m.district, m.code));
        item->setData(m.name.section(u" - "_s, -1), NameRole);
        item->setData(m.code, Qt::UserRole);
        item->setData(m.district, Qt::UserRole + 1);
        m_offers->appendRow(item);
    }
    if (m_offers->rowCount() > 0) {
        // Wide enough for name, district and code, not cut at the box's width.
        TDBEditz *box = this->box(Vpz::N5);
        int width = box->width();
        for (int row = 0; row < m_offers->rowCount(); ++row)
            width = std::max(width, box->fontMetrics().horizontalAdvance(m_offers->item(row)->text()) + 40);
        m_completer->complete(QRect(0, 0, width, box->height()));
    } else
        m_completer->popup()->hide();
}

// A chosen municipality gives its code, and its district where none is typed.
void TEpzForm::municipalityChosen(const QModelIndex &index)
{
    data::Dataset &ds = vpz();
    if (!index.isValid() || !ds.isEditing())
        return;
    try {
        ds.fieldByName(Vpz::N5)->setAsString(index.data(NameRole).toString());
        box(Vpz::N5)->reset(); // the chosen name instead of the typed beginning
        ds.fieldByName(Vpz::N6)->setAsString(index.data(Qt::UserRole).toString());
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
        return;
    }
    fillEmpty(Vpz::N7, index.data(Qt::UserRole + 1).toString());
}

data::Dataset &TEpzForm::vpz() const
{
    return m_dm.Vpz();
}

void TEpzForm::showPosition()
{
    if (vpz().isActive() && m_dm.tablesOpen())
        m_dm.Zaznam(vpz(), vpz().recordCount());
}

bool TEpzForm::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        showPosition();
    return QDialog::event(event);
}

void TEpzForm::goTo(StatementKind kind)
{
    m_nextKind = kind;
    if (!close())
        m_nextKind = StatementKind::None;
}

bool TEpzForm::handleKey(QWidget *target, QKeyEvent *event)
{
    data::Dataset &ds = vpz();
    if (!ds.isActive())
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = mods == Qt::NoModifier;
    const bool ctrl = mods == Qt::ControlModifier;
    const int key = event->key();
    const bool inGrid = target && (target == m_grid || m_grid->isAncestorOf(target));
    auto *edit = qobject_cast<TDBEditz *>(target);
    const bool inserting = ds.state() == data::DatasetState::Insert;
    const bool atBeginning = !inserting && ds.recNo() <= 1;
    const bool atEnd = !inserting && ds.recNo() >= ds.recordCount();
    // The box keeps a key the window used as Home, as the classic editors did.
    const auto homeInBox = [edit] {
        if (edit)
            edit->home(false);
    };
    try {
        if (ctrl && key == Qt::Key_Home) {
            if (!atBeginning)
                ds.first();
            return true;
        }
        if (plain && key == Qt::Key_PageUp) {
            if (!atBeginning)
                ds.prior();
            return true;
        }
        if (plain && key == Qt::Key_PageDown) {
            if (!atEnd)
                ds.next();
            return true;
        }
        if (ctrl && key == Qt::Key_End) {
            if (!atEnd)
                ds.last();
            homeInBox();
            return true;
        }
        if (plain && (key == Qt::Key_Insert || key == Qt::Key_F2)) {
            ds.insert();
            return true;
        }
        if (ctrl && key == Qt::Key_Delete && inGrid)
            return false; // the grid deletes without asking
        if (ctrl && (key == Qt::Key_Y || key == Qt::Key_Delete)) {
            if (ds.recordCount() > 0 || inserting)
                ds.deleteRecord();
            homeInBox();
            return true;
        }
        if (plain && key == Qt::Key_F4) {
            if (ds.state() == data::DatasetState::Browse) {
                if (inGrid)
                    box(Vpz::N3)->setFocus(Qt::OtherFocusReason);
                ds.edit();
            }
            return true;
        }
        if (plain && key == Qt::Key_F9) {
            postEdited(ds, m_messages);
            return true;
        }
        if (plain && key == Qt::Key_Escape) {
            if (escapeRequest(ds, m_messages))
                close();
            return true;
        }
        if (plain && key == Qt::Key_F5) {
            ds.refresh();
            return true;
        }
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
        return true;
    }
    if (edit == box(Vpz::N7) && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (plain || mods == Qt::ShiftModifier)) {
        box(plain ? Vpz::N3 : Vpz::N6)->setFocus(plain ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    return false;
}

bool TEpzForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_completer->popup() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QModelIndex chosen = m_completer->popup()->currentIndex();
            m_completer->popup()->hide();
            if (chosen.isValid())
                municipalityChosen(chosen);
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        handleKey(static_cast<QWidget *>(watched), static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TEpzForm::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(nullptr, event))
        return;
    QDialog::keyPressEvent(event);
}

void TEpzForm::done(int result)
{
    if (m_closing)
        return;
    if (!closeRequest(vpz(), m_messages, windowTitle()))
        return;
    m_closing = true;
    m_dm.status().positionChanged({});
    // A maximised or minimised window keeps the place it had before.
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)))
        m_place.save(this);
    try {
        m_dm.reopenTable(vpz());
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
    }
    QDialog::done(result);
    m_closing = false;
}

} // namespace statements
