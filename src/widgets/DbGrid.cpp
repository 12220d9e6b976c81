#include "widgets/DbGrid.h"

#include "data/DataError.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "platform/Error.h"
#include "platform/Messages.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTimer>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace widgets {

namespace {

bool isNumeric(const data::Field *field)
{
    return dynamic_cast<const data::FloatField *>(field) || dynamic_cast<const data::IntegerField *>(field);
}

// A detached field of the same type and display settings: formats the stored
// values of the rows that are not current, exactly as the field itself would.
std::unique_ptr<data::Field> makeFormatter(const data::Field *field)
{
    const QString &name = field->fieldName();
    if (const auto *f = dynamic_cast<const data::FloatField *>(field)) {
        auto copy = std::make_unique<data::FloatField>(nullptr, name);
        copy->setDisplayFormat(f->displayFormat());
        return copy;
    }
    if (dynamic_cast<const data::IntegerField *>(field))
        return std::make_unique<data::IntegerField>(nullptr, name, field->dataType());
    if (const auto *b = dynamic_cast<const data::BooleanField *>(field)) {
        auto copy = std::make_unique<data::BooleanField>(nullptr, name);
        copy->setDisplayValues(b->displayValues());
        return copy;
    }
    if (dynamic_cast<const data::DateField *>(field))
        return std::make_unique<data::DateField>(nullptr, name);
    return std::make_unique<data::StringField>(nullptr, name, field->size() > 0 ? field->size() : 255);
}

} // namespace

// ---------------------------------------------------------------- model

class DbGridModel : public QAbstractTableModel
{
public:
    struct Column
    {
        QString fieldName;
        QString title;
        int width = -1;
        bool readOnly = false;
        data::Field *field = nullptr;
        int storeColumn = -1; // -1: calculated, shown in the current row only
        std::unique_ptr<data::Field> formatter;
    };

    explicit DbGridModel(DbGrid *grid) : QAbstractTableModel(grid), m_grid(grid) {}

    data::DataSource *source() const { return m_source; }
    data::Dataset *dataset() const { return m_source ? m_source->dataset() : nullptr; }
    bool active() const
    {
        const data::Dataset *ds = dataset();
        return ds && ds->isActive();
    }

    void setSource(data::DataSource *source)
    {
        if (m_source)
            disconnect(m_source, nullptr, this, nullptr);
        m_source = source;
        if (m_source) {
            connect(m_source, &data::DataSource::dataChanged, this, [this](data::Field *field) {
                if (field)
                    fieldChanged(field);
                else
                    recordChanged();
            });
            connect(m_source, &data::DataSource::stateChanged, this, [this] { recordChanged(); });
            connect(
                m_source, &QObject::destroyed, this, [this] { recordChanged(); }, Qt::QueuedConnection);
        }
        recordChanged();
    }

    int addColumn(Column column)
    {
        beginResetModel();
        m_columns.push_back(std::move(column));
        resolve();
        endResetModel();
        return int(m_columns.size()) - 1;
    }

    void clearColumns()
    {
        beginResetModel();
        m_columns.clear();
        endResetModel();
    }

    Column &column(int c) { return m_columns[std::size_t(c)]; }
    const Column &column(int c) const { return m_columns[std::size_t(c)]; }

    // The row of the dataset's current record, -1 when there is none.
    int currentRow() const
    {
        if (!active() || m_rows == 0)
            return -1;
        if (m_insertRow >= 0)
            return m_insertRow;
        return dataset()->recNo() - 1;
    }
    int insertRow() const { return m_insertRow; }

    // The grid appends rather than inserts; the new row shows at the end.
    void expectAppend() { m_expectAppend = true; }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_columns.size());
    }

    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    // The user started typing into a cell: the record goes into edit mode.
    bool beginTyping()
    {
        data::Dataset *ds = dataset();
        if (!ds || !ds->isActive())
            return false;
        if (ds->isEditing())
            return true;
        try {
            return m_source->edit();
        } catch (const platform::Error &e) {
            m_grid->showError(e.message());
            return false;
        }
    }

    void recordChanged();

private:
    void resolve();
    void fieldChanged(data::Field *field);
    const QVariantList &storedRow(int storeRow) const;

    DbGrid *m_grid;
    QPointer<data::DataSource> m_source;
    data::Dataset *m_resolvedFor = nullptr;
    bool m_resolvedActive = false;
    std::vector<Column> m_columns;
    int m_rows = 0;
    int m_insertRow = -1; // the row of the record being inserted
    int m_lastRow = 0;    // current row while browsing: where an insert appears
    bool m_expectAppend = false;
    mutable QHash<int, QVariantList> m_cache;
};

void DbGridModel::resolve()
{
    data::Dataset *ds = dataset();
    m_resolvedFor = ds;
    m_resolvedActive = ds && ds->isActive();
    paradox::Schema schema;
    if (m_resolvedActive && ds->store()) {
        try {
            schema = ds->store()->schema();
        } catch (const platform::Error &) {
            schema = {};
        }
    }
    for (Column &c : m_columns) {
        c.field = ds ? ds->findField(c.fieldName) : nullptr;
        c.formatter = c.field ? makeFormatter(c.field) : nullptr;
        c.storeColumn = -1;
        if (!c.field || c.field->isCalculated())
            continue;
        for (qsizetype i = 0; i < schema.fields.size(); ++i) {
            if (schema.fields[i].name.compare(c.fieldName, Qt::CaseInsensitive) == 0) {
                c.storeColumn = int(i);
                break;
            }
        }
    }
}

void DbGridModel::recordChanged()
{
    data::Dataset *ds = dataset();
    const bool isActive = ds && ds->isActive();
    const bool reresolve = ds != m_resolvedFor || isActive != m_resolvedActive;
    const int count = isActive ? ds->recordCount() : 0;
    int insertRow = -1;
    if (isActive && ds->state() == data::DatasetState::Insert) {
        insertRow = m_insertRow >= 0 ? m_insertRow : m_expectAppend ? count : std::clamp(m_lastRow, 0, count);
    } else {
        m_expectAppend = false;
        if (isActive)
            m_lastRow = std::max(0, ds->recNo() - 1);
    }
    const int rows = count + (insertRow >= 0 ? 1 : 0);
    const bool reset = reresolve || rows != m_rows || insertRow != m_insertRow;
    if (reset)
        beginResetModel();
    if (reresolve)
        resolve();
    m_cache.clear();
    m_rows = rows;
    m_insertRow = insertRow;
    if (reset) {
        endResetModel();
    } else if (m_rows > 0 && !m_columns.empty()) {
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, int(m_columns.size()) - 1));
        Q_EMIT headerDataChanged(Qt::Vertical, 0, m_rows - 1);
    }
    m_grid->syncCurrent();
}

void DbGridModel::fieldChanged(data::Field *field)
{
    const int row = currentRow();
    if (row < 0)
        return;
    for (int c = 0; c < int(m_columns.size()); ++c) {
        if (m_columns[std::size_t(c)].field == field)
            Q_EMIT dataChanged(index(row, c), index(row, c));
    }
}

const QVariantList &DbGridModel::storedRow(int storeRow) const
{
    auto it = m_cache.find(storeRow);
    if (it != m_cache.end())
        return *it;
    QVariantList record;
    try {
        record = dataset()->store()->read(storeRow);
    } catch (const platform::Error &) {
        // A row the engine cannot read shows empty; the current record's
        // own read reports the failure.
        record.clear();
    }
    return *m_cache.insert(storeRow, record);
}

QVariant DbGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !active())
        return {};
    const Column &c = column(index.column());
    if (!c.field)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter | (isNumeric(c.field) ? Qt::AlignRight : Qt::AlignLeft));
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const bool display = role == Qt::DisplayRole;
    try {
        if (index.row() == currentRow())
            return display ? c.field->displayText() : c.field->editText();
        if (c.storeColumn < 0)
            return QString();
        const int storeRow = m_insertRow >= 0 && index.row() > m_insertRow ? index.row() - 1 : index.row();
        const QVariant raw = storedRow(storeRow).value(c.storeColumn);
        if (!raw.isValid())
            return QString();
        c.formatter->setValue(raw);
        return display ? c.formatter->displayText() : c.formatter->editText();
    } catch (const platform::Error &) {
        return QString();
    }
}

QVariant DbGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= int(m_columns.size()))
            return {};
        const Column &c = column(section);
        if (!c.title.isEmpty() || !c.field)
            return c.title;
        return c.field->displayName();
    }
    // The record indicator: the current row, and whether it is being edited
    // or is new.
    if (section != currentRow())
        return QString();
    switch (dataset()->state()) {
    case data::DatasetState::Insert:
        return u"*"_s;
    case data::DatasetState::Edit:
        return u"I"_s;
    default:
        return u"►"_s;
    }
}

Qt::ItemFlags DbGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const Column &c = column(index.column());
    if (m_grid->cellsEditable() && !c.readOnly && c.field && !c.field->isReadOnly() &&
        !c.field->isCalculated())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DbGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() != currentRow())
        return false;
    data::Field *field = column(index.column()).field;
    if (!field || !beginTyping())
        return false;
    try {
        field->setText(value.toString());
    } catch (const platform::Error &e) {
        m_grid->showError(e.message());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- delegate

// The cell editor: limited to the field's size, puts the record into edit
// mode on the first keystroke, and reopens with the refused text selected
// when the field does not take it.
class DbGridDelegate : public QStyledItemDelegate
{
public:
    DbGridDelegate(DbGrid *grid, DbGridModel *model) : QStyledItemDelegate(grid), m_grid(grid), m_model(model)
    {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        auto *editor = new QLineEdit(parent);
        editor->setFrame(false);
        if (const data::Field *f = m_model->column(index.column()).field; f && f->size() > 0)
            editor->setMaxLength(f->size());
        DbGridModel *model = m_model;
        connect(editor, &QLineEdit::textEdited, editor, [model, editor] {
            if (!model->beginTyping())
                editor->undo();
        });
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *line = static_cast<QLineEdit *>(editor);
        if (m_refused.isValid() && m_refused == index) {
            line->setText(m_refusedText);
            line->selectAll();
            m_refused = QPersistentModelIndex();
            return;
        }
        // Going into edit mode re-reads the record; what the user is typing stays.
        if (line->isModified())
            return;
        line->setText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        const QString text = static_cast<QLineEdit *>(editor)->text();
        // Leaving a cell untouched must not mark the record as changed.
        if (text == index.data(Qt::EditRole).toString())
            return;
        if (model->setData(index, text, Qt::EditRole))
            return;
        m_refused = QPersistentModelIndex(index);
        m_refusedText = text;
        QPointer<DbGrid> grid = m_grid;
        const QPersistentModelIndex again(index);
        QTimer::singleShot(0, m_grid, [grid, again] {
            if (!grid || !again.isValid())
                return;
            grid->setCurrentIndex(again);
            grid->edit(again);
        });
    }

    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &) const override
    {
        editor->setGeometry(option.rect);
    }

private:
    DbGrid *m_grid;
    DbGridModel *m_model;
    mutable QPersistentModelIndex m_refused;
    mutable QString m_refusedText;
};

// ---------------------------------------------------------------- grid

DbGrid::DbGrid(QWidget *parent) : QTableView(parent), m_model(new DbGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new DbGridDelegate(this, m_model));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    updateEditTriggers();
}

DbGrid::~DbGrid()
{
    // The model outlives this destructor for a moment as our child; the data
    // source must not reach it through a half-destroyed grid.
    if (data::DataSource *source = m_model->source())
        disconnect(source, nullptr, m_model, nullptr);
}

data::DataSource *DbGrid::dataSource() const
{
    return m_model->source();
}

void DbGrid::setDataSource(data::DataSource *source)
{
    m_model->setSource(source);
}

int DbGrid::addColumn(const QString &fieldName, const QString &title, int width, bool readOnly)
{
    DbGridModel::Column c;
    c.fieldName = fieldName;
    c.title = title;
    c.width = width;
    c.readOnly = readOnly;
    const int index = m_model->addColumn(std::move(c));
    // Widths after the field's size: the reset above recreated the sections.
    for (int i = 0; i < m_model->columnCount(); ++i) {
        const DbGridModel::Column &col = m_model->column(i);
        int w = col.width;
        if (w < 0) {
            const int chars = col.field && col.field->size() > 0 ? std::min(col.field->size(), 40) : 10;
            const QString title = m_model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
            w = std::max(fontMetrics().averageCharWidth() * chars, fontMetrics().horizontalAdvance(title)) +
                12;
        }
        setColumnWidth(i, w);
    }
    syncCurrent();
    return index;
}

void DbGrid::clearColumns()
{
    m_model->clearColumns();
}

int DbGrid::columnCount() const
{
    return m_model->columnCount();
}

QString DbGrid::columnField(int column) const
{
    return m_model->column(column).fieldName;
}

void DbGrid::setColumnReadOnly(int column, bool readOnly)
{
    m_model->column(column).readOnly = readOnly;
}

void DbGrid::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    updateEditTriggers();
}

void DbGrid::setCellEditing(bool editing)
{
    m_cellEditing = editing;
    updateEditTriggers();
}

void DbGrid::setRowSelect(bool rowSelect)
{
    setSelectionBehavior(rowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    syncCurrent();
}

void DbGrid::updateEditTriggers()
{
    setEditTriggers(cellsEditable()
                        ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked
                        : QAbstractItemView::NoEditTriggers);
}

void DbGrid::showError(const QString &text) const
{
    if (m_messages)
        m_messages->error(text);
    else
        QApplication::beep();
}

bool DbGrid::canModify() const
{
    return !m_readOnly && m_model->active();
}

void DbGrid::syncCurrent()
{
    const int row = m_model->currentRow();
    if (row < 0 || m_model->columnCount() == 0)
        return;
    const QModelIndex now = currentIndex();
    const int column = now.isValid() ? now.column() : 0;
    if (now.isValid() && now.row() == row)
        return;
    m_syncing = true;
    setCurrentIndex(m_model->index(row, column));
    scrollTo(m_model->index(row, column));
    m_syncing = false;
}

void DbGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid() || current.row() == m_model->currentRow())
        return;
    moveToRow(current.row());
}

void DbGrid::moveToRow(int row)
{
    data::Dataset *ds = m_model->dataset();
    if (!ds || !ds->isActive())
        return;
    try {
        const int insertRow = m_model->insertRow();
        if (insertRow >= 0 && !ds->isModified()) {
            // The untouched new row goes away; the rows below it move up.
            const int target = row > insertRow ? row - 1 : row;
            ds->cancel();
            ds->setRecNo(target + 1);
        } else if (ds->isEditing()) {
            // Posting may move the record (keyed tables): step from where it
            // lands, as the classic grid does.
            const int delta = row - m_model->currentRow();
            ds->checkBrowseMode();
            ds->moveBy(delta);
        } else {
            ds->setRecNo(row + 1);
        }
    } catch (const platform::Error &e) {
        showError(e.message());
    }
    m_syncing = true;
    const int now = m_model->currentRow();
    if (now >= 0)
        setCurrentIndex(m_model->index(now, std::max(0, currentIndex().column())));
    m_syncing = false;
}

void DbGrid::deleteCurrent()
{
    data::Dataset *ds = m_model->dataset();
    if (ds->recordCount() == 0 && ds->state() != data::DatasetState::Insert)
        return;
    if (m_confirmDelete && m_messages && !m_messages->confirm(u"Smazat záznam?"_s))
        return;
    try {
        ds->deleteRecord();
    } catch (const platform::Error &e) {
        showError(e.message());
    }
}

void DbGrid::keyPressEvent(QKeyEvent *event)
{
    data::Dataset *ds = m_model->dataset();
    if (!ds || !ds->isActive() || state() == QAbstractItemView::EditingState) {
        QTableView::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    try {
        switch (event->key()) {
        case Qt::Key_Home:
        case Qt::Key_End:
            if (mods == Qt::ControlModifier || (mods == Qt::NoModifier && rowSelect())) {
                event->key() == Qt::Key_Home ? ds->first() : ds->last();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Down:
            if (mods == Qt::NoModifier && cellsEditable() &&
                m_model->currentRow() == m_model->rowCount() - 1) {
                // Past the last record a new one starts, but only one at a time.
                if (!(ds->state() == data::DatasetState::Insert && !ds->isModified())) {
                    ds->checkBrowseMode();
                    m_model->expectAppend();
                    ds->append();
                }
                event->accept();
                return;
            }
            break;
        case Qt::Key_Insert:
            if (mods == Qt::NoModifier) {
                if (canModify())
                    ds->insert();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Delete:
            if (mods == Qt::ControlModifier) {
                if (canModify())
                    deleteCurrent();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Escape:
            if (mods == Qt::NoModifier && ds->isEditing()) {
                ds->cancel();
                event->accept();
                return;
            }
            break;
        default:
            break;
        }
    } catch (const platform::Error &e) {
        showError(e.message());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DbGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    if (!m_cancelOnExit)
        return;
    // Only the user's own move counts: a window that puts the focus into its
    // box for the new record (setFocus()) wants the record kept.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason && reason != Qt::MouseFocusReason &&
        reason != Qt::ShortcutFocusReason)
        return;
    if (QWidget *now = QApplication::focusWidget(); now && isAncestorOf(now))
        return;
    data::Dataset *ds = m_model->dataset();
    if (ds && ds->isActive() && ds->state() == data::DatasetState::Insert && !ds->isModified())
        ds->cancel();
}

} // namespace widgets
