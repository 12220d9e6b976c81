#include "data/RecordStore.h"

#include "data/DataError.h"

using namespace Qt::StringLiterals;

namespace data {

namespace {

// Orders two non-null values of one column; NULL sorts first.
int compareValues(const QVariant &a, const QVariant &b)
{
    if (!a.isValid() || !b.isValid())
        return int(a.isValid()) - int(b.isValid());
    const QPartialOrdering order = QVariant::compare(a, b);
    if (order == QPartialOrdering::Less)
        return -1;
    if (order == QPartialOrdering::Greater)
        return 1;
    return 0;
}

} // namespace

RecordStore::~RecordStore() = default;

std::optional<int> RecordStore::find(const QVariantList &key) const
{
    const int n = count();
    for (int i = 0; i < n; ++i) {
        const QVariantList record = read(i);
        bool equal = key.size() <= record.size();
        for (qsizetype k = 0; equal && k < key.size(); ++k)
            equal = compareValues(record[k], key[k]) == 0;
        if (equal)
            return i;
    }
    return std::nullopt;
}

MemoryStore::MemoryStore(paradox::Schema schema, QList<QVariantList> records)
    : m_schema(std::move(schema)), m_records(std::move(records))
{
    for (QVariantList &r : m_records)
        r.resize(m_schema.fields.size());
    for (qsizetype i = 0; i < m_schema.fields.size(); ++i) {
        if (m_schema.fields[i].type != paradox::FieldType::Autoinc)
            continue;
        for (const QVariantList &r : std::as_const(m_records))
            m_nextAutoinc = std::max(m_nextAutoinc, r[i].toInt() + 1);
    }
}

QVariantList MemoryStore::read(int position) const
{
    return m_records.at(position);
}

bool MemoryStore::keyLess(const QVariantList &a, const QVariantList &b) const
{
    for (int k = 0; k < m_schema.keyFields; ++k) {
        const int c = compareValues(a[k], b[k]);
        if (c != 0)
            return c < 0;
    }
    return false;
}

bool MemoryStore::keyEqual(const QVariantList &a, const QVariantList &b) const
{
    return !keyLess(a, b) && !keyLess(b, a);
}

int MemoryStore::place(QVariantList record, int position, int skip)
{
    record.resize(m_schema.fields.size());
    if (m_schema.keyFields == 0) {
        position = std::clamp(position, 0, int(m_records.size()));
        m_records.insert(position, record);
        return position;
    }
    int at = 0;
    for (int i = 0; i < int(m_records.size()); ++i) {
        if (i == skip)
            continue;
        if (keyEqual(m_records[i], record))
            throw DatabaseError(DatabaseError::Kind::KeyViolation,
                                u"Porušení klíče: záznam se stejným klíčem už v tabulce je."_s);
        if (keyLess(m_records[i], record))
            at = i + 1;
    }
    if (skip >= 0) {
        m_records.removeAt(skip);
        if (at > skip)
            --at;
    }
    m_records.insert(at, record);
    return at;
}

int MemoryStore::insert(int position, const QVariantList &record)
{
    QVariantList r = record;
    r.resize(m_schema.fields.size());
    for (qsizetype i = 0; i < m_schema.fields.size(); ++i) {
        if (m_schema.fields[i].type == paradox::FieldType::Autoinc && !r[i].isValid())
            r[i] = m_nextAutoinc;
        if (m_schema.fields[i].type == paradox::FieldType::Autoinc)
            m_nextAutoinc = std::max(m_nextAutoinc, r[i].toInt() + 1);
    }
    return place(r, position, -1);
}

int MemoryStore::update(int position, const QVariantList &record)
{
    if (m_schema.keyFields == 0) {
        m_records[position] = record;
        m_records[position].resize(m_schema.fields.size());
        return position;
    }
    return place(record, position, position);
}

void MemoryStore::remove(int position)
{
    m_records.removeAt(position);
}

} // namespace data
