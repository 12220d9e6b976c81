#include "paradox/TablePrivate.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>
#include <numeric>

using namespace Qt::StringLiterals;

namespace paradox {

QByteArray TablePrivate::buildRecord(const QVariantList &values, const char *base)
{
    if (values.size() > h.schema.fields.size())
        throw TableError(TableError::Kind::Invalid,
                         u"Záznam má víc hodnot, než má tabulka %1 polí."_s.arg(displayName));
    QByteArray raw = base ? QByteArray(base, h.recordSize) : QByteArray(h.recordSize, '\0');
    for (int i = 0; i < h.schema.fields.size(); ++i) {
        const FieldDef &f = h.schema.fields[i];
        if (base && i >= values.size())
            break; // an update leaves the fields it does not name as they are
        const QVariant v = i < values.size() ? values[i] : QVariant();
        char *out = raw.data() + offsets[i];
        if (f.type == FieldType::Autoinc) {
            if (v.isNull() || !v.isValid()) {
                if (!base) {
                    h.autoincrement += 1;
                    format::encodeField(f, int(h.autoincrement), out, displayName);
                }
                continue;
            }
            const qlonglong given = v.toLongLong();
            if (given > qlonglong(h.autoincrement) && given <= 0x7FFFFFFF)
                h.autoincrement = std::uint32_t(given);
        }
        if (!writableType(f.type) && !isUnsupported(v) && !v.isNull())
            throw TableError(
                TableError::Kind::Unsupported,
                u"Pole %1 tabulky %2 je typu, který nelze zapisovat."_s.arg(f.name, displayName));
        if (writableType(f.type))
            format::encodeField(f, v, out, displayName);
    }
    return raw;
}

int TablePrivate::keyedRowFor(const char *raw, int ignoreRow) const
{
    const int row = lowerBound(raw, h.schema.keyFields);
    for (int r = row; r < total() && compareKeys(rowPtr(r), raw, h.schema.keyFields) == 0; ++r) {
        if (r != ignoreRow)
            throw TableError(
                TableError::Kind::KeyViolation,
                u"Porušení klíče: záznam se stejným klíčem už v tabulce %1 je."_s.arg(displayName));
    }
    return row;
}

int TablePrivate::resolveRow(int row, const QByteArray &expected) const
{
    // Another handle changed the table since the caller read the row: find
    // the same record again, or refuse rather than change the wrong one.
    auto matches = [&](int r) {
        return r >= 0 && r < total() &&
               std::memcmp(rowPtr(r), expected.constData(), size_t(h.recordSize)) == 0;
    };
    if (h.schema.keyFields > 0) {
        const int r = lowerBound(expected.constData(), h.schema.keyFields);
        if (matches(r))
            return r;
    } else {
        for (int d = 0; d < total(); ++d) {
            if (matches(row + d))
                return row + d;
            if (matches(row - d))
                return row - d;
            if (row + d >= total() && row - d < 0)
                break;
        }
    }
    throw TableError(
        TableError::Kind::Invalid,
        u"Záznam tabulky %1 byl mezitím změněn nebo smazán jiným uživatelem."_s.arg(displayName));
}

Table::Table(std::unique_ptr<TablePrivate> d) : d(std::move(d)) {}

Table::~Table() = default;

std::unique_ptr<Table> Table::open(const QString &dbPath, const OpenOptions &options)
{
    auto p = std::make_unique<TablePrivate>();
    p->path = dbPath;
    p->displayName = displayNameOf(dbPath);
    p->options = options;
    if (!QFile::exists(dbPath) && !restoreInterruptedCopy(dbPath, options.netDir))
        throw TableError(TableError::Kind::Unreadable, u"Tabulka %1 neexistuje."_s.arg(p->displayName));
    p->lock = TableLock::acquire(dbPath, options.mode, options.netDir);
    if (QFile::exists(journal::pathFor(dbPath))) {
        TableLock::Guard g = p->lock->lockForWrite();
        p->recoverIfNeeded();
    }
    {
        TableLock::Guard g = p->readGuard();
        p->load();
    }
    return std::unique_ptr<Table>(new Table(std::move(p)));
}

void Table::close()
{
    d->lock.reset();
}

const QString &Table::filePath() const
{
    return d->path;
}
QString Table::name() const
{
    return QFileInfo(d->path).completeBaseName();
}
const Schema &Table::schema() const
{
    return d->h.schema;
}
const TableFormat &Table::format() const
{
    return d->h.format;
}
bool Table::isKeyed() const
{
    return d->h.schema.keyFields > 0;
}
OpenMode Table::mode() const
{
    return d->options.mode;
}
bool Table::isReadOnly() const
{
    return d->options.readOnly;
}
int Table::recordCount() const
{
    return d->total();
}
quint64 Table::generation() const
{
    return d->generation;
}
void Table::setChangeHook(std::function<void(Table &)> hook)
{
    d->hook = std::move(hook);
}

int Table::fieldIndex(const QString &fieldName) const
{
    for (int i = 0; i < d->h.schema.fields.size(); ++i) {
        if (d->h.schema.fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariantList Table::record(int row) const
{
    d->checkRow(row);
    const char *p = d->rowPtr(row);
    const qsizetype n = d->h.schema.fields.size();
    QVariantList out(n);
    QVariant *v = out.data();
    for (qsizetype i = 0; i < n; ++i)
        v[i] = format::decodeField(d->h.schema.fields[i], p + d->offsets[i]);
    return out;
}

void Table::readRecord(int row, QVariantList &out) const
{
    d->checkRow(row);
    format::decodeRecordInto(d->h.schema.fields, d->offsets, d->rowPtr(row), out);
}

QVariant Table::value(int row, int field) const
{
    d->checkRow(row);
    if (field < 0 || field >= d->h.schema.fields.size())
        return {};
    return format::decodeField(d->h.schema.fields[field], d->rowPtr(row) + d->offsets[field]);
}

bool Table::isNull(int row, int field) const
{
    d->checkRow(row);
    if (field < 0 || field >= d->h.schema.fields.size())
        return true;
    return format::isNullField(d->h.schema.fields[field], d->rowPtr(row) + d->offsets[field]);
}

QByteArray Table::rawRecord(int row) const
{
    d->checkRow(row);
    return QByteArray(d->rowPtr(row), d->h.recordSize);
}

int Table::findKey(const QVariantList &key) const
{
    if (!isKeyed() || key.isEmpty())
        return -1;
    const int fields = int(std::min<qsizetype>(key.size(), d->h.schema.keyFields));
    const QByteArray k = d->encodeKey(key);
    if (d->outOfOrder) {
        for (int r = 0; r < d->total(); ++r) {
            if (d->compareKeys(d->rowPtr(r), k.constData(), fields) == 0)
                return r;
        }
        return -1;
    }
    const int row = d->lowerBound(k.constData(), fields);
    if (row < d->total() && d->compareKeys(d->rowPtr(row), k.constData(), fields) == 0)
        return row;
    return -1;
}

int Table::lowerBound(const QVariantList &key) const
{
    if (!isKeyed() || key.isEmpty())
        return 0;
    const int fields = int(std::min<qsizetype>(key.size(), d->h.schema.keyFields));
    const QByteArray k = d->encodeKey(key);
    return d->lowerBound(k.constData(), fields);
}

namespace {

// Runs one change: exclusive across processes, on the table's current disk
// state, committed through the journal, rolled back in memory on failure.
template <typename Fn> auto change(TablePrivate &d, Table &table, Fn &&fn)
{
    TableLock::Guard guard = d.writeGuard();
    if (d.changedOnDisk()) {
        d.recoverIfNeeded();
        d.load();
    }
    d.beginWrite();
    try {
        if constexpr (std::is_void_v<decltype(fn())>) {
            fn();
            d.commit();
            if (d.hook)
                d.hook(table);
        } else {
            auto result = fn();
            d.commit();
            if (d.hook)
                d.hook(table);
            return result;
        }
    } catch (...) {
        d.abandon();
        throw;
    }
}

} // namespace

int TablePrivate::placeRecord(const QByteArray &raw, int unkeyedRow)
{
    const int row = h.schema.keyFields > 0 ? keyedRowFor(raw.constData(), -1) : unkeyedRow;
    insertAt(row, raw.constData());
    return row;
}

int Table::append(const QVariantList &values)
{
    return change(*d, *this, [&] { return d->placeRecord(d->buildRecord(values, nullptr), d->total()); });
}

void Table::appendRecords(const QList<QVariantList> &records)
{
    if (records.isEmpty())
        return;
    change(*d, *this, [&] {
        for (const QVariantList &values : records)
            d->placeRecord(d->buildRecord(values, nullptr), d->total());
    });
}

int Table::insert(int row, const QVariantList &values)
{
    return change(*d, *this, [&] {
        return d->placeRecord(d->buildRecord(values, nullptr), std::clamp(row, 0, d->total()));
    });
}

int Table::update(int row, const QVariantList &values)
{
    d->checkRow(row);
    const QByteArray old = rawRecord(row);
    return change(*d, *this, [&] {
        const int at = d->resolveRow(row, old);
        const QByteArray raw = d->buildRecord(values, d->rowPtr(at));
        if (std::memcmp(raw.constData(), d->rowPtr(at), size_t(d->keyBytes)) == 0) {
            const std::size_t k = d->blockIndexOf(at);
            d->touch(d->chain[k]);
            std::memcpy(d->block(d->chain[k]) + blockHeaderSize + qsizetype(at - d->cum[k]) * d->h.recordSize,
                        raw.constData(), size_t(d->h.recordSize));
            return at;
        }
        d->keyedRowFor(raw.constData(), at);
        d->removeAt(at);
        return d->placeRecord(raw, 0);
    });
}

void Table::remove(int row)
{
    d->checkRow(row);
    const QByteArray old = rawRecord(row);
    change(*d, *this, [&] { d->removeAt(d->resolveRow(row, old)); });
}

void Table::empty()
{
    TableLock::Guard guard = d->writeGuard();
    d->recoverIfNeeded();
    d->load();
    d->rewrite(d->h.schema, {});
    if (d->hook)
        d->hook(*this);
}

int Table::deleteWhereNull(int field)
{
    if (field < 0 || field >= d->h.schema.fields.size())
        throw TableError(TableError::Kind::Invalid, u"Tabulka %1 takové pole nemá."_s.arg(d->displayName));
    TableLock::Guard guard = d->writeGuard();
    d->recoverIfNeeded();
    d->load();
    QList<QByteArray> keep;
    const FieldDef &f = d->h.schema.fields[field];
    for (int r = 0; r < d->total(); ++r) {
        const char *p = d->rowPtr(r);
        if (!format::isNullField(f, p + d->offsets[field]))
            keep.append(QByteArray(p, d->h.recordSize));
    }
    const int removed = d->total() - int(keep.size());
    if (removed > 0 || d->protectedView) {
        d->rewrite(d->h.schema, keep);
        if (d->hook)
            d->hook(*this);
    }
    return removed;
}

void Table::addFields(const QList<FieldDef> &fields)
{
    if (fields.isEmpty())
        return;
    TableLock::Guard guard = d->writeGuard();
    d->recoverIfNeeded();
    d->load();
    Schema schema = d->h.schema;
    for (FieldDef f : fields) {
        if (!writableType(f.type))
            throw TableError(
                TableError::Kind::Unsupported,
                u"Pole %1 nelze do tabulky %2 přidat: typ není podporován."_s.arg(f.name, d->displayName));
        if (f.type != FieldType::Alpha)
            f.size = fixedSize(f.type);
        if (f.size < 1 || f.size > 255 || f.name.isEmpty() || f.name.size() > 25)
            throw TableError(TableError::Kind::Invalid,
                             u"Pole %1 nelze do tabulky %2 přidat: neplatná délka nebo jméno."_s.arg(
                                 f.name, d->displayName));
        for (const FieldDef &e : schema.fields) {
            if (e.name.compare(f.name, Qt::CaseInsensitive) == 0)
                throw TableError(TableError::Kind::Invalid,
                                 u"Pole %1 v tabulce %2 už je."_s.arg(f.name, d->displayName));
        }
        schema.fields.append(f);
    }
    if (schema.fields.size() > 255)
        throw TableError(TableError::Kind::Invalid,
                         u"Tabulka %1 by měla víc než 255 polí."_s.arg(d->displayName));
    int addBytes = 0;
    for (const FieldDef &f : fields)
        addBytes += f.type == FieldType::Alpha ? f.size : fixedSize(f.type);
    QList<QByteArray> records;
    records.reserve(d->total());
    for (int r = 0; r < d->total(); ++r) {
        QByteArray raw(d->rowPtr(r), d->h.recordSize);
        raw.append(addBytes, '\0');
        records.append(raw);
    }
    d->rewrite(schema, records);
    if (d->hook)
        d->hook(*this);
}

void Table::rebuildIndexes()
{
    TableLock::Guard guard = d->writeGuard();
    d->recoverIfNeeded();
    d->load();
    if (d->outOfOrder) {
        // Put the records in key order first; the index follows from them.
        std::vector<int> rows(std::size_t(d->total()));
        std::iota(rows.begin(), rows.end(), 0);
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            return d->compareKeys(d->rowPtr(a), d->rowPtr(b), d->h.schema.keyFields) < 0;
        });
        QList<QByteArray> records;
        records.reserve(d->total());
        for (int r : rows)
            records.append(QByteArray(d->rowPtr(r), d->h.recordSize));
        d->rewrite(d->h.schema, records);
    } else if (isKeyed()) {
        d->writeIndex(d->pxPath());
    }
    if (d->hook)
        d->hook(*this);
}

bool Table::changedOnDisk() const
{
    return d->changedOnDisk();
}

bool Table::refresh()
{
    if (!d->changedOnDisk())
        return false;
    if (QFile::exists(journal::pathFor(d->path))) {
        TableLock::Guard guard = d->lock ? d->lock->lockForWrite() : TableLock::Guard();
        d->recoverIfNeeded();
    }
    TableLock::Guard guard = d->readGuard();
    d->load();
    return true;
}

} // namespace paradox
