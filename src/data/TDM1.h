#pragma once

#include "data/DataSource.h"
#include "data/Dataset.h"
#include "data/DateRules.h"
#include "data/StatusSink.h"
#include "data/TableDefs.h"
#include "data/TableRules.h"
#include "data/Upgrade.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace paradox {
class FileLayer;
struct OpenOptions;
} // namespace paradox

namespace data {

class ChangeSet;
class DatasetBinding;
class ParadoxStore;
class TDM1;

// The whole-statement recalculations of the main window, which opening an
// upgraded settlement runs. They live with the statements; the data module
// only knows when to ask for them.
class IStatementRecalc
{
public:
    virtual ~IStatementRecalc();
    virtual void VypocetVdvl1(TDM1 &dm) = 0;
    virtual void VypocetVdvs1(TDM1 &dm) = 0;
};

// One collaborator of the data module, given when the module is made: an
// object, or `none` said outright (a tool without a window has no status
// bar). There is no default, so a collaborator left out does not compile.
struct NoCollaborator
{
};
inline constexpr NoCollaborator none{};

template <class I> class Use
{
public:
    Use(I &object) : m_object(&object) {}
    Use(NoCollaborator) {}
    I *get() const { return m_object; }

private:
    I *m_object = nullptr;
};

// Everything the data module reports to or asks of the rest of the program.
struct Collaborators
{
    Use<IStatusSink> status;
    Use<ICaptionSink> caption;
    // The calendar the date boxes open.
    Use<IDatePicker> datePicker;
    // The recalculations an upgrade of Vdvl or Vdvs asks for while the
    // tables are opened; without them such an opening leaves the statements
    // as posted.
    Use<IStatementRecalc> recalc;

    // A tool without a window that opens settlements as the program does.
    static Collaborators windowless(IStatementRecalc &recalc) { return {none, none, none, recalc}; }
    // A module that only reads and writes tables.
    static Collaborators tablesOnly() { return {none, none, none, none}; }
};

// The ad-hoc statements run on the settlement's files ("Alter Table",
// "Update", "Delete ... where ... is null", emptying a table), as table
// engine operations on the file in the database's directory. The dataset
// over the file must be closed meanwhile; failures throw DatabaseError.
class SettlementQuery
{
public:
    explicit SettlementQuery(const TDM1 &dm) : m_dm(dm) {}

    // "Alter Table T Add ...": fields appended, existing records keep their values.
    void addFields(TableId table, const QList<paradox::FieldDef> &fields) const;
    // "Update T set F1 = v1, ...": every record; returns the number of records.
    int updateAll(TableId table, const QList<std::pair<QString, QVariant>> &assignments) const;
    // "Delete From T where F is null"; returns the number of records removed.
    int deleteWhereNull(TableId table, const QString &field) const;
    void empty(TableId table) const;

private:
    const TDM1 &m_dm;
};

// The data module: the settlement database and its session, the nine tables
// with their fields and rules, the second cursor and the print query over
// "Vpz.DB", one data source per table, and the opening of a settlement with
// the upgrade of older files.
//
// Tables, fields and data sources carry the names the windows bind to:
// dm.Vdvl(), dm.VdvlSource(), dm.field(u"VdvlSl21"_s). Failures throw
// DatabaseError with a Czech message.
class TDM1 : public QObject
{
    Q_OBJECT

public:
    explicit TDM1(const Collaborators &collaborators, QObject *parent = nullptr);
    ~TDM1() override;

    // ---- session and database

    // Prepares the session for the data root: network control directory is
    // the root in upper case, no private directory, the tables' password
    // added. An empty root (no data directory found) leaves it inactive.
    void DM1Create(const QString &dataRoot);
    bool sessionActive() const { return m_sessionActive; }
    static QString sessionName() { return QStringLiteral("QestoSession"); }
    const QString &sessionNetDir() const { return m_netDir; }
    const QString &sessionPrivateDir() const { return m_privateDir; }
    // The six digits the tables are protected with.
    static QString tablesPassword();
    // The template directory: the data root's "Data\". Settable for tools
    // that work on a settlement outside the default data root.
    const QString &templateDir() const { return m_templateDir; }
    void setTemplateDir(const QString &dir) { m_templateDir = dir; }

    static QString databaseName() { return QStringLiteral("QestoData"); }
    // "PATH=" + the settlement directory, "DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE".
    QStringList databaseParams() const;
    // The settlement directory; takes effect at the next OtevritTabulky.
    const QString &databasePath() const { return m_path; }
    void setDatabasePath(const QString &dir);
    bool connected() const { return m_connected; }
    // Closes every table and query of the module (unposted changes are lost).
    void Disconnect();
    // How the tables are opened: shared, with the session's control
    // directory and password.
    paradox::OpenOptions openOptions() const;
    // Through which the tables' files are read, copied and written; the
    // disk by default. Tests put a layer there that fails a chosen step.
    void setFileLayer(std::shared_ptr<const paradox::FileLayer> files) { m_files = std::move(files); }
    // Where a table of the settlement lives.
    QString tablePath(TableId table) const;
    // Opens one dataset of the module (VpzPr and VpzQr read "Vpz.DB") on its
    // file in the database's directory, as OtevritTabulky does, without any
    // upgrade: for the windows and steps that close and reopen a table.
    void openTable(Dataset &dataset);
    // Closes the table and opens it again, as an editor does when it closes
    // (unposted changes are lost). The status bar is left alone meanwhile;
    // the record count is read afresh.
    void reopenTable(Dataset &dataset);

    // ---- tables, queries, data sources

    Dataset &Dmt() { return *m_dmt; }
    Dataset &Prp() { return *m_prp; }
    Dataset &Vdvl() { return *m_vdvl; }
    Dataset &Vpkv() { return *m_vpkv; }
    Dataset &Vvdp() { return *m_vvdp; }
    Dataset &Vpz() { return *m_vpz; }
    Dataset &VpzPr() { return *m_vpzPr; }
    Dataset &Vdvs() { return *m_vdvs; }
    Dataset &Mzd11() { return *m_mzd11; }
    Dataset &Vpkb() { return *m_vpkb; }
    Dataset &VpzQr() { return *m_vpzQr; }
    const SettlementQuery &PrevodQr() const { return m_prevodQr; }

    DataSource &DmtSource() { return *m_dmtSource; }
    DataSource &PrpSource() { return *m_prpSource; }
    DataSource &VdvlSource() { return *m_vdvlSource; }
    DataSource &VpkvSource() { return *m_vpkvSource; }
    DataSource &VvdpSource() { return *m_vvdpSource; }
    DataSource &VpzSource() { return *m_vpzSource; }
    DataSource &VpzPrSource() { return *m_vpzPrSource; }
    DataSource &VdvsSource() { return *m_vdvsSource; }
    DataSource &Mzd11Source() { return *m_mzd11Source; }
    DataSource &VpkbSource() { return *m_vpkbSource; }
    DataSource &VpzQrSource() { return *m_vpzQrSource; }

    // The dataset of a settlement table (Vpz is the main cursor).
    Dataset &table(TableId id);
    // By name: "Vdvl", "VpzPr", "VpzQr", any letter case; nullptr if unknown.
    Dataset *findTable(const QString &name) const;
    // Every dataset of the module, in declaration order.
    QList<Dataset *> tables() const;

    // A field by table name + field name ("VdvlSl21", "PrpDic", "VpzQrC4a"),
    // any letter case: nullptr when there is none.
    Field *field(const QString &qualifiedName) const;
    // The same, throwing DatabaseError when the name is unknown or the
    // field is of another class.
    template <class F = Field> F &fieldAs(const QString &qualifiedName) const;

    // ---- opening

    // Opens every table of the settlement in the database's directory,
    // bringing files of earlier versions up to date first. On failure every
    // table is closed again and the error thrown.
    void OtevritTabulky();
    // Re-reads Prp, Dmt, Vdvl, Vpkv, Vvdp, Vpz, Vdvs and Vpkb from disk.
    void Obnovit1();
    // What the last opening upgraded; when any() the caller recomputes both
    // statements (PrepocetVY).
    const UpgradeFlags &upgradeFlags() const { return m_flags; }
    // The operation whose unfinished change the last opening rolled back
    // (shown in the status bar); empty when there was none.
    const QString &rolledBackChange() const { return m_rolledBack; }
    // The name under which an upgrade's change is recorded.
    static QString upgradeOperation();
    // The tables the last opening found missing and created empty from the
    // templates, in the order of opening; the opening says so to the user.
    const QList<TableId> &createdEmptyTables() const { return m_createdEmpty; }
    // "Tabulky vytvořené znovu prázdné: Vdvs.DB, Vpkb.DB."; empty for none.
    static QString createdEmptyText(const QList<TableId> &tables);
    bool tablesOpen() const { return m_tablesOpen; }

    // ---- rules shared with the windows

    // Where what happens is reported; a sink that shows nothing when the
    // module was made without one.
    IStatusSink &status() const;
    IDatePicker *datePicker() const { return m_picker; }
    // The window that showed the status, the caption and the calendar is
    // going: from now on nothing is shown.
    void detachWindow();
    // Runs after the defaults of a new Vpz row; the employee-count window
    // moves the focus to its name box.
    void setVpzNewRecordHook(std::function<void()> hook) { m_vpzNewRecordHook = std::move(hook); }
    // Where every table takes "today" from (the date shorthand, the calendar).
    void setToday(const std::function<QDate()> &today);

    // Whether the employee list's position and edit state reach the status
    // bar; the print window switches it off while it numbers the list into
    // sheets and back on when it closes.
    void setVpzStatusShown(bool shown) { m_vpzStatusShown = shown; }
    bool vpzStatusShown() const { return m_vpzStatusShown; }

    // Reports whether the table is being edited.
    void StatusEdit(const Dataset &dataset);
    // Reports the position in the table among `count` records.
    void Zaznam(const Dataset &dataset, int count);
    // The main window's caption from the company data.
    void NazevDp1();
    // The field set to the date picked in the calendar; false when cancelled
    // or when no calendar is connected.
    bool KDatum(Dataset &dataset, DateField &field);
    static QDate DatumM1(const QDate &date, int months) { return data::DatumM1(date, months); }

private:
    Dataset *declare(std::unique_ptr<Dataset> &slot, const QString &name, DataSource *&source);
    void indexFields(Dataset &dataset);
    void wireRules();
    void postOnce(Dataset &dataset);
    void openAll(std::unique_ptr<ChangeSet> &change);

    std::unique_ptr<Dataset> m_dmt, m_prp, m_vdvl, m_vpkv, m_vvdp, m_vpz, m_vpzPr, m_vdvs, m_mzd11, m_vpkb,
        m_vpzQr;
    DataSource *m_dmtSource = nullptr, *m_prpSource = nullptr, *m_vdvlSource = nullptr,
               *m_vpkvSource = nullptr, *m_vvdpSource = nullptr, *m_vpzSource = nullptr,
               *m_vpzPrSource = nullptr, *m_vdvsSource = nullptr, *m_mzd11Source = nullptr,
               *m_vpkbSource = nullptr, *m_vpzQrSource = nullptr;
    std::vector<std::unique_ptr<ParadoxStore>> m_stores; // one per dataset, same order
    std::vector<std::unique_ptr<DatasetBinding>> m_bindings;
    QList<Dataset *> m_tables;
    QHash<QString, Field *> m_fieldIndex; // lower-case table name + field name
    SettlementQuery m_prevodQr;

    QString m_path;
    QString m_netDir;
    QString m_privateDir;
    QString m_templateDir;
    std::shared_ptr<const paradox::FileLayer> m_files;
    bool m_sessionActive = false;
    bool m_connected = false;
    UpgradeFlags m_flags;
    QString m_rolledBack;
    QList<TableId> m_createdEmpty;
    bool m_tablesOpen = false;
    int m_vpzCount = 0;
    bool m_vpzStatusShown = true;

    IStatusSink *m_status = nullptr;
    ICaptionSink *m_caption = nullptr;
    IDatePicker *m_picker = nullptr;
    IStatementRecalc *m_recalc = nullptr;
    std::function<void()> m_vpzNewRecordHook;
};

template <class F> F &TDM1::fieldAs(const QString &qualifiedName) const
{
    Field *f = field(qualifiedName);
    F *typed = dynamic_cast<F *>(f);
    if (!typed)
        throw DatabaseError(
            DatabaseError::Kind::MissingField,
            f ? QStringLiteral("Pole '%1' má jiný typ, než program očekává").arg(qualifiedName)
              : QStringLiteral("Pole '%1' nebylo nalezeno").arg(qualifiedName));
    return *typed;
}

} // namespace data
