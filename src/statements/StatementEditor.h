// The window every statement editor is: pages, navigator, chain buttons, keys.
#pragma once

#include "statements/FormLayout.h"
#include "statements/StatementKind.h"
#include "widgets/FormPlace.h"

#include <QDialog>
#include <QString>

class QKeyEvent;
class QPushButton;

namespace data {
class DataSource;
class Dataset;
class TDM1;
} // namespace data
namespace platform {
class IMessages;
}
namespace widgets {
class DbNavigator;
class TDBEditz;
} // namespace widgets

namespace statements {

class FormPages;

// What distinguishes one statement form window from another.
struct EditorSpec
{
    QString caption;
    // Object name of the window; its place is kept under this name + "Top"/"Left".
    QString placeName;
    data::Dataset *table = nullptr;
    data::DataSource *source = nullptr;
    FormLayout layout;
    // "<<" and PgUp: the window opened next; None leaves "<<" disabled and
    // PgUp unused.
    StatementKind backKind = StatementKind::None;
    QString backHint;
    // ">>" (or the print button) and PgDn.
    StatementKind forwardKind = StatementKind::None;
    QString forwardText = QStringLiteral(">>");
    QString forwardHint;
};

// A statement form: its pages built from the layout, under them the record
// navigator (Edit, Post, Cancel), "<<", ">>" and "&Zavřít". The window
// previews keys: F4 edits, F9 posts, Esc closes or asks about the changes,
// PgUp and PgDn close towards the neighbouring windows, Ctrl+1... shows a
// page. Closing with unposted changes asks whether to keep them; then the
// window saves its place and re-reads its table.
class StatementEditor : public QDialog
{
    Q_OBJECT

public:
    StatementEditor(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
                    EditorSpec spec, QWidget *parent = nullptr);
    ~StatementEditor() override;

    // The window the user asked to go on to when it closed, or None.
    StatementKind nextKind() const { return m_nextKind; }

    FormPages *pages() const { return m_pages; }
    widgets::TDBEditz *box(const QString &field) const;
    widgets::DbNavigator *navigator() const { return m_navigator; }
    QPushButton *backButton() const { return m_back; }
    QPushButton *forwardButton() const { return m_forward; }
    QPushButton *closeButton() const { return m_close; }

    // Closes and names the window to open next; Cancel in the close
    // question keeps the window and forgets the choice.
    void goTo(StatementKind kind);

    void done(int result) override;

protected:
    // Runs when a box is left with its field's value changed: the lines that
    // depend on the field are recomputed. A refusal throws DatabaseError,
    // whose message is shown.
    virtual void runExitRule(const QString &field) { Q_UNUSED(field); }

    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    bool handleKey(QKeyEvent *event);
    data::Dataset &table() const { return *m_spec.table; }

    data::TDM1 &m_dm;
    platform::IMessages &m_messages;
    widgets::FormPlace m_place;
    EditorSpec m_spec;
    FormPages *m_pages = nullptr;
    widgets::DbNavigator *m_navigator = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_forward = nullptr;
    QPushButton *m_close = nullptr;
    StatementKind m_nextKind = StatementKind::None;
    bool m_closing = false;
    bool m_placed = false;
};

} // namespace statements
