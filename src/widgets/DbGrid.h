#pragma once

#include "data/DataSource.h"

#include <QPointer>
#include <QString>
#include <QTableView>

namespace platform {
class IMessages;
}

namespace widgets {

class DbGridModel;

// The data-aware grid: one row per record of the dataset behind a data
// source, one column per chosen field. The current row is the dataset's
// current record, both ways. Cells are edited in place through the field's
// text rule; the keys work as in the classic record grid:
//   Up, Down, PgUp, PgDn   move between records (Down past the last record
//                          appends one when cells may be edited)
//   Ctrl+Home, Ctrl+End    first and last record (Home and End too when whole
//                          rows are selected; otherwise first and last column)
//   Insert                 inserts a record before the current one
//   Ctrl+Delete            deletes the current record, asking first unless
//                          confirmDelete is off
//   Esc                    cancels the changes of the current record
// The rows other than the current one show the stored values in the field's
// display format; calculated fields show only in the current row.
class DbGrid : public QTableView
{
    Q_OBJECT

public:
    explicit DbGrid(QWidget *parent = nullptr);
    ~DbGrid() override;

    data::DataSource *dataSource() const;
    void setDataSource(data::DataSource *source);

    // Adds a column for the field of that name (looked up whenever the source
    // changes; an unknown name gives an empty column). An empty title takes
    // the field's display label; a negative width sizes the column after the
    // field. Returns the column's index.
    int addColumn(const QString &fieldName, const QString &title = {}, int width = -1, bool readOnly = false);
    void clearColumns();
    int columnCount() const;
    QString columnField(int column) const;
    void setColumnReadOnly(int column, bool readOnly);

    // Nothing may be changed: no editing, inserting or deleting.
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    // Cells may be edited in place (on by default). Off, the grid still
    // inserts and deletes records unless it is read-only.
    bool isCellEditing() const { return m_cellEditing; }
    void setCellEditing(bool editing);
    bool confirmDelete() const { return m_confirmDelete; }
    void setConfirmDelete(bool confirm) { m_confirmDelete = confirm; }
    // A new record nobody changed is dropped when the user moves the focus
    // out of the grid (on by default).
    bool cancelOnExit() const { return m_cancelOnExit; }
    void setCancelOnExit(bool cancel) { m_cancelOnExit = cancel; }
    void setRowSelect(bool rowSelect);
    bool rowSelect() const { return selectionBehavior() == QAbstractItemView::SelectRows; }

    void setMessages(platform::IMessages *messages) { m_messages = messages; }
    platform::IMessages *messages() const { return m_messages; }

    // Shows a failed operation's message; the grid's own error path, also
    // used by its cell editor.
    void showError(const QString &text) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    friend class DbGridModel;
    friend class DbGridDelegate;

    bool canModify() const;
    bool cellsEditable() const { return m_cellEditing && !m_readOnly; }
    void moveToRow(int row);
    void syncCurrent();
    void deleteCurrent();
    void updateEditTriggers();

    DbGridModel *m_model;
    platform::IMessages *m_messages = nullptr;
    bool m_readOnly = false;
    bool m_cellEditing = true;
    bool m_confirmDelete = true;
    bool m_cancelOnExit = true;
    bool m_syncing = false;
};

} // namespace widgets
