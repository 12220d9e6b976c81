// Employee count editor "Počet zaměstnanců".
#pragma once

#include "statements/Municipality.h"
#include "statements/StatementKind.h"
#include "widgets/FormPlace.h"

#include <QDialog>
#include <QHash>
#include <QString>

class QCompleter;
class QGroupBox;
class QPushButton;
class QStandardItemModel;

namespace data {
class Dataset;
class TDM1;
} // namespace data
namespace platform {
class IMessages;
}

namespace widgets {
class DbGrid;
class DbNavigator;
class TDBEditz;
} // namespace widgets

namespace statements {

using widgets::DbGrid;
using widgets::DbNavigator;
using widgets::SettlementIni;
using widgets::TDBEditz;

// Employee count "Počet zaměstnanců": the places of work (Vpz), one record
// each, listed in a grid and edited in the row of boxes above it. Unlike the
// other editors PgUp and PgDn move between records; only "<<" and ">>" lead
// to the neighbouring windows.
class TEpzForm : public QDialog
{
    Q_OBJECT

public:
    TEpzForm(data::TDM1 &dm, platform::IMessages &messages, SettlementIni ini, QWidget *parent = nullptr);
    ~TEpzForm() override;

    // The window the user asked to go on to when it closed, or None.
    StatementKind nextKind() const { return m_nextKind; }

    TDBEditz *box(const QString &field) const { return m_boxes.value(field.toLower()); }
    QGroupBox *boxGroup() const { return m_group; }
    DbGrid *grid() const { return m_grid; }
    DbNavigator *navigator() const { return m_navigator; }
    QPushButton *backButton() const { return m_back; }
    QPushButton *forwardButton() const { return m_forward; }
    QPushButton *closeButton() const { return m_close; }

    // Closes and names the window to open next ("<<", ">>").
    void goTo(StatementKind kind);

    // The municipality list: a code typed fills the empty name and district,
    // a name typed offers the municipalities it begins (name, district, code).
    void setMunicipalities(MunicipalityLookup lookup);
    QCompleter *municipalityCompleter() const { return m_completer; }

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    bool handleKey(QWidget *target, QKeyEvent *event);
    void codeTyped(const QString &code);
    void nameTyped(const QString &name);
    void municipalityChosen(const QModelIndex &index);
    void fillEmpty(const QString &field, const QString &value);
    void showPosition();
    data::Dataset &vpz() const;

    data::TDM1 &m_dm;
    platform::IMessages &m_messages;
    widgets::FormPlace m_place;
    QGroupBox *m_group = nullptr;
    QHash<QString, TDBEditz *> m_boxes; // lower-case field name
    DbGrid *m_grid = nullptr;
    DbNavigator *m_navigator = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_forward = nullptr;
    QPushButton *m_close = nullptr;
    StatementKind m_nextKind = StatementKind::None;
    bool m_closing = false;
    MunicipalityLookup m_municipalities;
    QCompleter *m_completer = nullptr;
    QStandardItemModel *m_offers = nullptr;
};

} // namespace statements
