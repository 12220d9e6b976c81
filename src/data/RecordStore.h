#pragma once

#include "paradox/Schema.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace data {

// Where a dataset's records live. A record is a QVariantList in the order of
// schema().fields; NULL is an invalid QVariant, otherwise double (Number,
// Currency), int (Short, Long, Autoinc), QString (Alpha), bool (Logical) or
// QDate (Date). Positions are 0-based in the store's reading order (key order
// for keyed tables). Failures throw DatabaseError.
class RecordStore
{
public:
    virtual ~RecordStore();

    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The layout of the open file; may differ from what the program declares.
    virtual paradox::Schema schema() const = 0;

    virtual int count() const = 0;
    virtual QVariantList read(int position) const = 0;
    // Adds a record before `position` (count() appends; keyed stores place it
    // by key) and returns where it ended up. Auto-increment fields left empty
    // are assigned by the store.
    virtual int insert(int position, const QVariantList &record) = 0;
    // Replaces the record; returns its position afterwards (a key may move it).
    virtual int update(int position, const QVariantList &record) = 0;
    virtual void remove(int position) = 0;
    // Re-reads from the backing file what others may have changed.
    virtual void refresh() {}
    // Whether another handle changed the backing file since it was last read,
    // so that positions may point at other records now.
    virtual bool isStale() const { return false; }
    // Position of the record whose leading key fields equal `key`.
    virtual std::optional<int> find(const QVariantList &key) const;
};

// A store kept in memory: tests, and tables that need no file.
class MemoryStore : public RecordStore
{
public:
    explicit MemoryStore(paradox::Schema schema, QList<QVariantList> records = {});

    void open() override { m_open = true; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    paradox::Schema schema() const override { return m_schema; }

    int count() const override { return int(m_records.size()); }
    QVariantList read(int position) const override;
    int insert(int position, const QVariantList &record) override;
    int update(int position, const QVariantList &record) override;
    void remove(int position) override;

    const QList<QVariantList> &records() const { return m_records; }

private:
    int place(QVariantList record, int position, int skip);
    bool keyLess(const QVariantList &a, const QVariantList &b) const;
    bool keyEqual(const QVariantList &a, const QVariantList &b) const;

    paradox::Schema m_schema;
    QList<QVariantList> m_records;
    int m_nextAutoinc = 1;
    bool m_open = false;
};

} // namespace data
