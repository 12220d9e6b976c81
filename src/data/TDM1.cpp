#include "data/TDM1.h"

#include "data/ChangeSet.h"
#include "data/DataError.h"
#include "data/DatasetDefs.h"
#include "data/ParadoxStore.h"
#include "paradox/Table.h"
#include "platform/FileOps.h"

using namespace Qt::StringLiterals;

namespace data {

namespace {

int fieldIndexOrThrow(const paradox::Table &table, const QString &name)
{
    const int i = table.fieldIndex(name);
    if (i < 0)
        throw DatabaseError(DatabaseError::Kind::MissingField,
                            u"Pole '%1' nebylo v tabulce %2 nalezeno"_s.arg(name, table.name()));
    return i;
}

} // namespace

IStatementRecalc::~IStatementRecalc() = default;

namespace {

// The status of a module made without one.
class SilentStatus final : public IStatusSink
{
public:
    void message(const QString &) override {}
    void editingChanged(bool) override {}
    void positionChanged(const RecordPosition &) override {}
};

} // namespace

// ---------------------------------------------------------------- PrevodQr

void SettlementQuery::addFields(TableId table, const QList<paradox::FieldDef> &fields) const
{
    withEngineErrors([&] {
        paradox::OpenOptions options = m_dm.openOptions();
        options.mode = paradox::OpenMode::Exclusive;
        paradox::Table::open(m_dm.tablePath(table), options)->addFields(fields);
    });
}

int SettlementQuery::updateAll(TableId table, const QList<std::pair<QString, QVariant>> &assignments) const
{
    return withEngineErrors([&] {
        auto t = paradox::Table::open(m_dm.tablePath(table), m_dm.openOptions());
        QList<std::pair<int, QVariant>> columns;
        for (const auto &[name, value] : assignments)
            columns.append({fieldIndexOrThrow(*t, name), value});
        const int count = t->recordCount();
        for (int row = 0; row < count; ++row) {
            QVariantList record = t->record(row);
            for (const auto &[column, value] : std::as_const(columns))
                record[column] = value;
            t->update(row, record);
        }
        return count;
    });
}

int SettlementQuery::deleteWhereNull(TableId table, const QString &field) const
{
    return withEngineErrors([&] {
        auto t = paradox::Table::open(m_dm.tablePath(table), m_dm.openOptions());
        return t->deleteWhereNull(fieldIndexOrThrow(*t, field));
    });
}

void SettlementQuery::empty(TableId table) const
{
    withEngineErrors([&] {
        paradox::OpenOptions options = m_dm.openOptions();
        options.mode = paradox::OpenMode::Exclusive;
        paradox::Table::open(m_dm.tablePath(table), options)->empty();
    });
}

// ---------------------------------------------------------------- TDM1

TDM1::TDM1(const Collaborators &collaborators, QObject *parent)
    : QObject(parent), m_prevodQr(*this), m_status(collaborators.status.get()),
      m_caption(collaborators.caption.get()), m_picker(collaborators.datePicker.get()),
      m_recalc(collaborators.recalc.get())
{
    declare(m_dmt, u"Dmt"_s, m_dmtSource);
    declare(m_prp, u"Prp"_s, m_prpSource);
    declare(m_vdvl, u"Vdvl"_s, m_vdvlSource);
    declare(m_vpkv, u"Vpkv"_s, m_vpkvSource);
    declare(m_vvdp, u"Vvdp"_s, m_vvdpSource);
    declare(m_vpz, u"Vpz"_s, m_vpzSource);
    declare(m_vpzPr, u"VpzPr"_s, m_vpzPrSource);
    declare(m_vdvs, u"Vdvs"_s, m_vdvsSource);
    declare(m_mzd11, u"Mzd11"_s, m_mzd11Source);
    declare(m_vpkb, u"Vpkb"_s, m_vpkbSource);
    declare(m_vpzQr, u"VpzQr"_s, m_vpzQrSource);

    for (TableId id : SettlementTables)
        m_bindings.push_back(std::make_unique<DatasetBinding>(table(id), tableDef(id)));
    m_bindings.push_back(std::make_unique<DatasetBinding>(*m_vpzPr, tableDef(TableId::Vpz)));
    m_bindings.push_back(std::make_unique<DatasetBinding>(*m_vpzQr, tableDef(TableId::Vpz)));
    declareVpzQrFields(*m_vpzQr);
    for (Dataset *ds : std::as_const(m_tables))
        indexFields(*ds);
    wireRules();
}

TDM1::~TDM1()
{
    // What closing at the end does is nobody's news, and the window may be gone.
    detachWindow();
    try {
        Disconnect();
    } catch (...) {
        // Closing only releases locks; nothing to tell anyone at this point.
    }
}

Dataset *TDM1::declare(std::unique_ptr<Dataset> &slot, const QString &name, DataSource *&source)
{
    auto store = std::make_unique<ParadoxStore>(QString());
    slot = std::make_unique<Dataset>(name, store.get());
    m_stores.push_back(std::move(store));
    m_tables.append(slot.get());
    source = new DataSource(slot.get(), this);
    source->setObjectName(name + u"Source"_s);
    return slot.get();
}

void TDM1::indexFields(Dataset &dataset)
{
    const QString prefix = dataset.name().toLower();
    for (int i = 0; i < dataset.fieldCount(); ++i) {
        Field *f = dataset.field(i);
        const QString key = prefix + f->fieldName().toLower();
        // Names stay unambiguous as long as no table name is another's
        // prefix followed by a field name of the shorter one.
        Q_ASSERT_X(!m_fieldIndex.contains(key), "TDM1", qPrintable(key));
        m_fieldIndex.insert(key, f);
    }
}

void TDM1::wireRules()
{
    for (Dataset *ds : {m_vdvl.get(), m_vpkv.get(), m_vvdp.get(), m_vdvs.get(), m_vpkb.get()}) {
        DataSource *source = ds == m_vdvl.get()   ? m_vdvlSource
                             : ds == m_vpkv.get() ? m_vpkvSource
                             : ds == m_vvdp.get() ? m_vvdpSource
                             : ds == m_vdvs.get() ? m_vdvsSource
                                                  : m_vpkbSource;
        connect(source, &DataSource::stateChanged, this, [this, ds] { StatusEdit(*ds); });
    }

    // The employee list repaints the status bar only once the settlement is
    // open, so that the opening and the page numbering leave it alone.
    connect(m_vpzSource, &DataSource::stateChanged, this, [this] {
        if (m_tablesOpen && m_vpzStatusShown)
            StatusEdit(*m_vpz);
    });
    connect(m_vpzSource, &DataSource::dataChanged, this, [this] {
        if (m_tablesOpen && m_vpzStatusShown)
            Zaznam(*m_vpz, m_vpzCount);
    });
    const Dataset::Event counted = [this](Dataset &ds) {
        if (!m_tablesOpen)
            return;
        m_vpzCount = ds.recordCount();
        if (m_vpzStatusShown)
            Zaznam(ds, m_vpzCount);
    };
    m_vpz->afterPost = counted;
    m_vpz->afterDelete = counted;
    attachNewRecordDefaults(*m_vpz, TableId::Vpz, [this] {
        if (m_vpzNewRecordHook)
            m_vpzNewRecordHook();
    });
    attachNewRecordDefaults(*m_mzd11, TableId::Mzd11);
}

// ---------------------------------------------------------------- session and database

void TDM1::DM1Create(const QString &dataRoot)
{
    if (dataRoot.isEmpty())
        return;
    m_sessionActive = false;
    m_netDir = dataRoot.toUpper();
    m_privateDir.clear();
    m_templateDir = platform::FileOps::withTrailingSeparator(dataRoot) + u"Data\\"_s;
    m_sessionActive = true;
}

QString TDM1::tablesPassword()
{
    // Formed at run time so that the digits do not stand in the binary as text.
    constexpr quint32 seed = 0x3A7C5;
    return QString::number((seed * 37u + 4409u) % 900000u + 100000u);
}

QStringList TDM1::databaseParams() const
{
    return {u"PATH="_s + m_path, u"DEFAULT DRIVER=PARADOX"_s, u"ENABLE BCD=FALSE"_s};
}

void TDM1::setDatabasePath(const QString &dir)
{
    if (m_connected)
        Disconnect();
    m_path = dir;
}

void TDM1::Disconnect()
{
    m_tablesOpen = false;
    for (Dataset *ds : std::as_const(m_tables))
        ds->close();
    m_connected = false;
}

paradox::OpenOptions TDM1::openOptions() const
{
    paradox::OpenOptions options;
    options.mode = paradox::OpenMode::Shared;
    if (m_sessionActive) {
        // The control directory keeps the upper-case spelling of the session;
        // on a file system that tells case apart it is looked up as on disk.
        options.netDir = platform::FileOps::resolve(m_netDir);
        options.password = tablesPassword();
    }
    options.files = m_files;
    return options;
}

QString TDM1::tablePath(TableId table) const
{
    return tableFilePath(m_path, tableDef(table).fileName());
}

// ---------------------------------------------------------------- lookup

Dataset &TDM1::table(TableId id)
{
    switch (id) {
    case TableId::Dmt:
        return *m_dmt;
    case TableId::Prp:
        return *m_prp;
    case TableId::Vdvl:
        return *m_vdvl;
    case TableId::Vpkv:
        return *m_vpkv;
    case TableId::Vpz:
        return *m_vpz;
    case TableId::Vvdp:
        return *m_vvdp;
    case TableId::Vdvs:
        return *m_vdvs;
    case TableId::Mzd11:
        return *m_mzd11;
    case TableId::Vpkb:
        return *m_vpkb;
    default:
        throw DatabaseError(DatabaseError::Kind::State, u"Tabulka není součástí datového modulu"_s);
    }
}

Dataset *TDM1::findTable(const QString &name) const
{
    QString n = name;
    if (n.endsWith(u".DB"_s, Qt::CaseInsensitive))
        n.chop(3);
    for (Dataset *ds : m_tables) {
        if (ds->name().compare(n, Qt::CaseInsensitive) == 0)
            return ds;
    }
    return nullptr;
}

QList<Dataset *> TDM1::tables() const
{
    return m_tables;
}

Field *TDM1::field(const QString &qualifiedName) const
{
    return m_fieldIndex.value(qualifiedName.toLower(), nullptr);
}

// ---------------------------------------------------------------- opening

void TDM1::openTable(Dataset &dataset)
{
    auto *store = static_cast<ParadoxStore *>(dataset.store());
    paradox::OpenOptions options = openOptions();
    if (&dataset == m_vpzQr.get())
        options.readOnly = true;
    store->setOptions(options);
    const TableDef *def = findTableDef(
        dataset.name() == u"VpzPr"_s || dataset.name() == u"VpzQr"_s ? u"Vpz"_s : dataset.name());
    store->setFilePath(tableFilePath(m_path, def->fileName()));
    dataset.open();
}

void TDM1::reopenTable(Dataset &dataset)
{
    const bool wasOpen = m_tablesOpen;
    m_tablesOpen = false;
    try {
        dataset.close();
        openTable(dataset);
    } catch (...) {
        m_tablesOpen = wasOpen;
        throw;
    }
    m_tablesOpen = wasOpen;
    if (&dataset == m_vpz.get())
        m_vpzCount = m_vpz->recordCount();
}

// The posting rules reach fields an upgrade has just added.
void TDM1::postOnce(Dataset &dataset)
{
    dataset.edit();
    dataset.post();
}

QString TDM1::upgradeOperation()
{
    return u"Převod tabulek starší verze"_s;
}

QString TDM1::createdEmptyText(const QList<TableId> &tables)
{
    if (tables.isEmpty())
        return {};
    QStringList names;
    for (const TableId id : tables)
        names.append(tableDef(id).fileName());
    return u"Tabulky vytvořené znovu prázdné: %1."_s.arg(names.join(u", "_s));
}

void TDM1::OtevritTabulky()
{
    m_flags = {};
    m_createdEmpty.clear();
    m_tablesOpen = false;
    m_rolledBack.clear();
    Disconnect();
    if (m_path.isEmpty())
        throw DatabaseError(DatabaseError::Kind::State, u"Není určen adresář se soubory tabulek."_s);
    // A change of several tables that a stopped process left half done is
    // undone before any table is read.
    m_rolledBack = ChangeSet::finishPending(m_path, openOptions());
    std::unique_ptr<ChangeSet> upgrade;
    try {
        openAll(upgrade);
        if (upgrade)
            upgrade->commit();
    } catch (...) {
        Disconnect();
        if (upgrade) {
            try {
                upgrade->rollBack();
            } catch (const platform::Error &) {
                // Left recorded: the next opening puts the old files back.
            }
        }
        throw;
    }
    m_tablesOpen = true;
    if (!m_rolledBack.isEmpty())
        status().message(rolledBackMessage(m_rolledBack));
}

void TDM1::openAll(std::unique_ptr<ChangeSet> &change)
{
    // The upgrade, its one-time copies and the recalculation it asks for are
    // one change: a process stopped between them would skip the copies for
    // good, since the next opening finds the fields already there.
    auto begin = [this, &change] {
        change = std::make_unique<ChangeSet>(m_path, upgradeOperation(), openOptions());
        for (TableId id : SettlementTables)
            change->addTable(id);
        change->begin();
    };
    const UpgradeResult upgrade =
        withEngineErrors([&] { return upgradeSettlement(m_path, m_templateDir, openOptions(), begin); });
    m_flags = upgrade.flags;
    m_createdEmpty = upgrade.createdEmpty;
    m_connected = true;

    openTable(*m_prp);
    openTable(*m_dmt);
    openTable(*m_vdvl);
    if (upgrade.postOnce.contains(TableId::Vdvl))
        postOnce(*m_vdvl);
    if (upgrade.recalculateEmployment && m_recalc)
        m_recalc->VypocetVdvl1(*this);
    openTable(*m_vpkv);
    if (upgrade.postOnce.contains(TableId::Vpkv))
        postOnce(*m_vpkv);
    openTable(*m_vpz);
    openTable(*m_vvdp);
    openTable(*m_vdvs);
    if (upgrade.postOnce.contains(TableId::Vdvs))
        postOnce(*m_vdvs);
    if (upgrade.recalculateWithholding && m_recalc)
        m_recalc->VypocetVdvs1(*this);
    openTable(*m_vpkb);
    openTable(*m_mzd11);
    m_mzd11->close();
    // What the caller's recomputation would do after the opening, done
    // inside the change so that it cannot be lost.
    if (change && m_flags.any() && m_recalc) {
        m_recalc->VypocetVdvl1(*this);
        m_recalc->VypocetVdvs1(*this);
    }

    Obnovit1();
    m_vpzCount = m_vpz->recordCount();
    NazevDp1();
    status().clear();
}

void TDM1::Obnovit1()
{
    for (Dataset *ds : {m_prp.get(), m_dmt.get(), m_vdvl.get(), m_vpkv.get(), m_vvdp.get(), m_vpz.get(),
                        m_vdvs.get(), m_vpkb.get()}) {
        if (ds->isActive())
            ds->refresh();
    }
}

// ---------------------------------------------------------------- rules

void TDM1::setToday(const std::function<QDate()> &today)
{
    for (Dataset *ds : std::as_const(m_tables))
        ds->setToday(today);
}

IStatusSink &TDM1::status() const
{
    static SilentStatus silent;
    return m_status ? *m_status : silent;
}

void TDM1::detachWindow()
{
    m_status = nullptr;
    m_caption = nullptr;
    m_picker = nullptr;
}

void TDM1::StatusEdit(const Dataset &dataset)
{
    status().editingChanged(dataset.isEditing());
}

void TDM1::Zaznam(const Dataset &dataset, int count)
{
    status().positionChanged(RecordPosition::of(dataset, count));
}

void TDM1::NazevDp1()
{
    if (!m_caption)
        return;
    const QString base = m_caption->baseCaption();
    m_caption->setCaption(m_prp->isActive() ? nazevDp1Caption(base, *m_prp) : base);
}

bool TDM1::KDatum(Dataset &dataset, DateField &field)
{
    if (!m_picker)
        return false;
    return data::KDatum(*m_picker, dataset, field);
}

} // namespace data
