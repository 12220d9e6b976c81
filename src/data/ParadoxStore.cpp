#include "data/ParadoxStore.h"

#include "data/DataError.h"

using namespace Qt::StringLiterals;

namespace data {

ParadoxStore::ParadoxStore(const QString &dbPath, const paradox::OpenOptions &options)
    : m_path(dbPath), m_options(options)
{}

ParadoxStore::~ParadoxStore()
{
    try {
        close();
    } catch (...) {
        // Closing releases locks only; nothing to report from a destructor.
    }
}

paradox::Table &ParadoxStore::open_() const
{
    if (!m_table)
        throw DatabaseError(DatabaseError::Kind::State, u"Tabulka %1 není otevřena"_s.arg(m_path));
    return *m_table;
}

void ParadoxStore::open()
{
    if (m_table)
        return;
    m_table = withEngineErrors([this] { return paradox::Table::open(m_path, m_options); });
}

void ParadoxStore::close()
{
    if (!m_table)
        return;
    std::unique_ptr<paradox::Table> table = std::move(m_table);
    withEngineErrors([&table] { table->close(); });
}

paradox::Schema ParadoxStore::schema() const
{
    return open_().schema();
}

int ParadoxStore::count() const
{
    return withEngineErrors([this] { return open_().recordCount(); });
}

QVariantList ParadoxStore::read(int position) const
{
    return withEngineErrors([this, position] { return open_().record(position); });
}

int ParadoxStore::insert(int position, const QVariantList &record)
{
    return withEngineErrors([&] {
        paradox::Table &t = open_();
        return position >= t.recordCount() ? t.append(record) : t.insert(position, record);
    });
}

int ParadoxStore::update(int position, const QVariantList &record)
{
    return withEngineErrors([&] { return open_().update(position, record); });
}

void ParadoxStore::remove(int position)
{
    withEngineErrors([&] { open_().remove(position); });
}

void ParadoxStore::refresh()
{
    withEngineErrors([this] { open_().refresh(); });
}

bool ParadoxStore::isStale() const
{
    return m_table && withEngineErrors([this] { return m_table->changedOnDisk(); });
}

std::optional<int> ParadoxStore::find(const QVariantList &key) const
{
    const paradox::Table &t = open_();
    if (!t.isKeyed())
        return RecordStore::find(key);
    const int row = withEngineErrors([&] { return t.findKey(key); });
    if (row < 0)
        return std::nullopt;
    return row;
}

} // namespace data
