#pragma once

#include "data/RecordStore.h"
#include "paradox/Table.h"

#include <memory>

namespace data {

// A dataset's records in a Paradox table file. Opening opens the file with
// the given options; every change is on disk when the call returns. Engine
// failures come out as DatabaseError (Kind::Engine) with the engine's Czech
// message, so the layer above catches one type.
class ParadoxStore : public RecordStore
{
public:
    explicit ParadoxStore(const QString &dbPath, const paradox::OpenOptions &options = {});
    ~ParadoxStore() override;

    const QString &filePath() const { return m_path; }
    // Takes effect at the next open().
    void setFilePath(const QString &dbPath) { m_path = dbPath; }
    void setOptions(const paradox::OpenOptions &options) { m_options = options; }

    void open() override;
    void close() override;
    bool isOpen() const override { return m_table != nullptr; }
    paradox::Schema schema() const override;

    int count() const override;
    QVariantList read(int position) const override;
    int insert(int position, const QVariantList &record) override;
    int update(int position, const QVariantList &record) override;
    void remove(int position) override;
    void refresh() override;
    bool isStale() const override;
    std::optional<int> find(const QVariantList &key) const override;

    // The open table, for operations beyond records (adding fields, emptying);
    // nullptr while closed.
    paradox::Table *table() const { return m_table.get(); }

private:
    paradox::Table &open_() const;

    QString m_path;
    paradox::OpenOptions m_options;
    std::unique_ptr<paradox::Table> m_table;
};

} // namespace data
