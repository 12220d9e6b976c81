#include "data/Dataset.h"

#include "data/DataError.h"
#include "data/DataSource.h"

#include <exception>

using namespace Qt::StringLiterals;

namespace data {

namespace {

[[noreturn]] void fail(DatabaseError::Kind kind, const QString &message)
{
    throw DatabaseError(kind, message);
}

bool compatible(const Field *field, paradox::FieldType type)
{
    using T = paradox::FieldType;
    if (dynamic_cast<const FloatField *>(field))
        return type == T::Number || type == T::Currency;
    if (dynamic_cast<const IntegerField *>(field))
        return type == T::Short || type == T::Long || type == T::Autoinc;
    if (dynamic_cast<const StringField *>(field))
        return type == T::Alpha;
    if (dynamic_cast<const BooleanField *>(field))
        return type == T::Logical;
    if (dynamic_cast<const DateField *>(field))
        return type == T::Date;
    return false;
}

// Runs an event whose exception must not leave a flag raised.
class FlagGuard
{
public:
    explicit FlagGuard(bool &flag) : m_flag(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = false; }
    FlagGuard(const FlagGuard &) = delete;
    FlagGuard &operator=(const FlagGuard &) = delete;

private:
    bool &m_flag;
};

void run(const Dataset::Event &event, Dataset &dataset)
{
    if (event)
        event(dataset);
}

} // namespace

Dataset::Dataset(const QString &name, RecordStore *store) : m_name(name), m_store(store) {}

Dataset::~Dataset()
{
    for (DataSource *source : std::as_const(m_sources))
        source->m_dataset = nullptr;
}

void Dataset::setStore(RecordStore *store)
{
    checkInactive("setStore");
    m_store = store;
}

template <class F, class... Args> F *Dataset::declare(Args &&...args)
{
    checkInactive("addField");
    auto field = std::make_unique<F>(this, std::forward<Args>(args)...);
    const QString key = field->fieldName().toLower();
    if (m_byName.contains(key))
        fail(DatabaseError::Kind::State,
             u"Pole '%1' je v tabulce %2 uvedeno dvakrát"_s.arg(field->fieldName(), m_name));
    F *raw = field.get();
    raw->m_index = int(m_fields.size());
    m_byName.insert(key, raw);
    (raw->isCalculated() ? m_calcFields : m_dataFields).append(raw);
    m_fields.push_back(std::move(field));
    return raw;
}

FloatField *Dataset::addFloatField(const QString &name, FieldRole role)
{
    return declare<FloatField>(name, role);
}

IntegerField *Dataset::addIntegerField(const QString &name, paradox::FieldType type, FieldRole role)
{
    return declare<IntegerField>(name, type, role);
}

StringField *Dataset::addStringField(const QString &name, int size, FieldRole role)
{
    return declare<StringField>(name, size, role);
}

BooleanField *Dataset::addBooleanField(const QString &name, FieldRole role)
{
    return declare<BooleanField>(name, role);
}

DateField *Dataset::addDateField(const QString &name, FieldRole role)
{
    return declare<DateField>(name, role);
}

Field *Dataset::addField(const paradox::FieldDef &def)
{
    using T = paradox::FieldType;
    switch (def.type) {
    case T::Alpha:
        return addStringField(def.name, def.size);
    case T::Date:
        return addDateField(def.name);
    case T::Short:
    case T::Long:
    case T::Autoinc:
        return addIntegerField(def.name, def.type);
    case T::Number:
    case T::Currency:
        return addFloatField(def.name);
    case T::Logical:
        return addBooleanField(def.name);
    default:
        fail(DatabaseError::Kind::State, u"Typ pole '%1' tabulky %2 není podporován"_s.arg(def.name, m_name));
    }
}

void Dataset::createFields(const paradox::Schema &schema)
{
    for (const paradox::FieldDef &def : schema.fields) {
        if (!findField(def.name))
            addField(def);
    }
}

Field *Dataset::findField(const QString &name) const
{
    return m_byName.value(name.toLower(), nullptr);
}

Field *Dataset::fieldByName(const QString &name) const
{
    Field *f = findField(name);
    if (!f)
        fail(DatabaseError::Kind::MissingField,
             u"Pole '%1' nebylo v tabulce %2 nalezeno"_s.arg(name, m_name));
    return f;
}

QStringList Dataset::missingFields(const paradox::Schema &schema) const
{
    QStringList missing;
    for (const Field *f : m_dataFields) {
        const bool present = std::any_of(schema.fields.cbegin(), schema.fields.cend(), [f](const auto &def) {
            return def.name.compare(f->fieldName(), Qt::CaseInsensitive) == 0;
        });
        if (!present)
            missing.append(f->fieldName());
    }
    return missing;
}

// ---------------------------------------------------------------- open, close

void Dataset::open()
{
    if (isActive())
        return;
    if (!m_store)
        fail(DatabaseError::Kind::State, u"Tabulka %1 nemá určen soubor"_s.arg(m_name));
    run(beforeOpen, *this);
    m_store->open();
    try {
        const paradox::Schema schema = m_store->schema();
        for (Field *f : std::as_const(m_dataFields)) {
            f->m_column = -1;
            for (qsizetype i = 0; i < schema.fields.size(); ++i) {
                if (schema.fields[i].name.compare(f->fieldName(), Qt::CaseInsensitive) == 0) {
                    f->m_column = int(i);
                    break;
                }
            }
            if (f->m_column < 0)
                fail(DatabaseError::Kind::MissingField,
                     u"Pole '%1' nebylo v tabulce %2 nalezeno"_s.arg(f->fieldName(), m_name));
            if (!compatible(f, schema.fields[f->m_column].type))
                fail(
                    DatabaseError::Kind::MissingField,
                    u"Pole '%1' v tabulce %2 má jiný typ, než program očekává"_s.arg(f->fieldName(), m_name));
        }
        m_columns = int(schema.fields.size());
        m_keyFields = schema.keyFields;
        if (m_oneRecord && m_store->count() == 0) {
            QVariantList empty;
            empty.resize(m_columns);
            m_store->insert(0, empty);
        }
    } catch (...) {
        m_store->close();
        throw;
    }
    m_position = m_store->count() > 0 ? 0 : -1;
    m_bof = true;
    m_eof = m_position < 0;
    m_modified = false;
    setState(DatasetState::Browse);
    loadCurrent();
    notifyData(nullptr);
    run(afterOpen, *this);
    run(afterScroll, *this);
}

void Dataset::close()
{
    if (!isActive())
        return;
    run(beforeClose, *this);
    m_store->close();
    m_position = -1;
    m_bof = m_eof = true;
    m_modified = false;
    clearBuffer();
    m_record.clear();
    setState(DatasetState::Inactive);
    notifyData(nullptr);
    run(afterClose, *this);
}

// ---------------------------------------------------------------- editing

void Dataset::edit()
{
    checkActive();
    if (isEditing())
        return;
    if (recordCount() == 0) {
        insert();
        return;
    }
    run(beforeEdit, *this);
    // Read again: another handle may have changed the record since we showed it.
    followStore(false);
    loadCurrent();
    m_modified = false;
    setState(DatasetState::Edit);
    notifyData(nullptr);
    run(afterEdit, *this);
}

void Dataset::insert()
{
    checkActive();
    checkBrowseMode();
    beginInsert(m_position < 0 ? 0 : m_position);
}

void Dataset::append()
{
    checkActive();
    checkBrowseMode();
    beginInsert(recordCount());
}

void Dataset::beginInsert(int position)
{
    run(beforeInsert, *this);
    run(beforeScroll, *this);
    m_insertPosition = position;
    m_record = QVariantList(m_columns);
    clearBuffer();
    setState(DatasetState::Insert);
    calculateFields();
    try {
        run(onNewRecord, *this);
    } catch (...) {
        setState(DatasetState::Browse);
        loadCurrent();
        throw;
    }
    m_modified = false;
    notifyData(nullptr);
    run(afterInsert, *this);
    run(afterScroll, *this);
}

void Dataset::post()
{
    checkActive();
    notifyUpdateRecord();
    if (!isEditing())
        return;
    run(beforePost, *this);
    for (const Field *f : std::as_const(m_dataFields)) {
        if (f->isRequired() && f->isNull())
            fail(DatabaseError::Kind::InvalidValue, u"Pole '%1' musí mít hodnotu"_s.arg(f->displayName()));
    }
    QVariantList record = m_record;
    record.resize(m_columns);
    for (const Field *f : std::as_const(m_dataFields))
        record[f->m_column] = f->m_value;
    if (m_state == DatasetState::Insert) {
        m_position = m_store->insert(m_insertPosition, record);
    } else {
        followStore(false);
        m_position = m_store->update(m_position, record);
    }
    m_modified = false;
    m_bof = m_eof = false;
    setState(DatasetState::Browse);
    loadCurrent();
    notifyData(nullptr);
    run(afterPost, *this);
}

void Dataset::cancel()
{
    checkActive();
    if (!isEditing())
        return;
    run(beforeCancel, *this);
    m_modified = false;
    if (m_position >= recordCount())
        m_position = recordCount() - 1;
    setState(DatasetState::Browse);
    loadCurrent();
    notifyData(nullptr);
    run(afterCancel, *this);
}

void Dataset::deleteRecord()
{
    checkActive();
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    if (recordCount() == 0)
        fail(DatabaseError::Kind::State, u"Tabulka %1 je prázdná, není co odstranit"_s.arg(m_name));
    run(beforeDelete, *this);
    run(beforeScroll, *this);
    m_store->remove(m_position);
    m_modified = false;
    const int count = recordCount();
    if (m_position >= count)
        m_position = count - 1;
    m_bof = m_position <= 0;
    m_eof = count == 0;
    setState(DatasetState::Browse);
    loadCurrent();
    notifyData(nullptr);
    run(afterDelete, *this);
    run(afterScroll, *this);
}

void Dataset::checkBrowseMode()
{
    checkActive();
    if (!isEditing())
        return;
    notifyUpdateRecord();
    if (m_modified)
        post();
    else
        cancel();
}

// ---------------------------------------------------------------- navigation

void Dataset::scrollTo(int position)
{
    checkBrowseMode();
    const int count = recordCount();
    position = count == 0 ? -1 : std::clamp(position, 0, count - 1);
    run(beforeScroll, *this);
    m_position = position;
    loadCurrent();
    notifyData(nullptr);
    run(afterScroll, *this);
}

void Dataset::first()
{
    checkActive();
    scrollTo(0);
    m_bof = true;
    m_eof = recordCount() == 0;
}

void Dataset::last()
{
    checkActive();
    scrollTo(recordCount() - 1);
    m_eof = true;
    m_bof = recordCount() == 0;
}

void Dataset::next()
{
    moveBy(1);
}

void Dataset::prior()
{
    moveBy(-1);
}

int Dataset::moveBy(int distance)
{
    checkActive();
    checkBrowseMode();
    const int count = recordCount();
    if (distance == 0 || count == 0) {
        if (count == 0)
            m_bof = m_eof = true;
        return 0;
    }
    const int target = std::clamp(m_position + distance, 0, count - 1);
    const int moved = target - m_position;
    if (moved != 0)
        scrollTo(target);
    m_eof = distance > 0 && moved != distance;
    m_bof = distance < 0 && moved != distance;
    return moved;
}

int Dataset::recNo() const
{
    if (m_state == DatasetState::Insert)
        return -1;
    return m_position + 1;
}

void Dataset::setRecNo(int recNo)
{
    checkActive();
    scrollTo(recNo - 1);
    m_bof = m_position <= 0;
    m_eof = recordCount() == 0;
}

int Dataset::recordCount() const
{
    return isActive() ? m_store->count() : 0;
}

void Dataset::refresh()
{
    checkActive();
    checkBrowseMode();
    followStore(true);
    const int count = recordCount();
    m_bof = m_position <= 0;
    m_eof = count == 0;
    loadCurrent();
    notifyData(nullptr);
}

bool Dataset::findKey(const QVariantList &key)
{
    checkActive();
    checkBrowseMode();
    const std::optional<int> found = m_store->find(key);
    if (!found)
        return false;
    scrollTo(*found);
    m_bof = m_eof = false;
    return true;
}

// ---------------------------------------------------------------- controls

void Dataset::disableControls()
{
    if (m_disableCount++ == 0) {
        m_stateAtDisable = m_state;
        m_missedNotify = false;
    }
}

void Dataset::enableControls()
{
    if (m_disableCount == 0 || --m_disableCount > 0)
        return;
    if (m_state != m_stateAtDisable)
        notifyState();
    if (m_missedNotify) {
        m_missedNotify = false;
        notifyData(nullptr);
    }
}

// ---------------------------------------------------------------- record buffer

void Dataset::loadCurrent()
{
    if (m_position >= 0) {
        m_record = m_store->read(m_position);
        m_record.resize(m_columns);
        for (Field *f : std::as_const(m_dataFields))
            f->m_value = m_record.at(f->m_column);
    } else {
        m_record = QVariantList(m_columns);
        for (Field *f : std::as_const(m_dataFields))
            f->m_value = QVariant();
    }
    calculateFields();
}

// Picks up what another handle wrote to the file and finds the current record
// again by its key; an unkeyed table keeps its position. A record another
// handle deleted while we edited it cannot be written back.
void Dataset::followStore(bool force)
{
    if (!force && !m_store->isStale())
        return;
    QVariantList key;
    if (m_keyFields > 0 && m_position >= 0)
        key = m_record.mid(0, m_keyFields);
    m_store->refresh();
    const int count = m_store->count();
    std::optional<int> found;
    if (!key.isEmpty())
        found = m_store->find(key);
    if (found) {
        m_position = *found;
    } else {
        if (!key.isEmpty() && m_state == DatasetState::Edit)
            fail(DatabaseError::Kind::Engine,
                 u"Záznam tabulky %1 mezitím odstranil jiný uživatel"_s.arg(m_name));
        m_position = count == 0 ? -1 : std::clamp(m_position, 0, count - 1);
    }
}

void Dataset::clearBuffer()
{
    for (const auto &f : m_fields)
        f->m_value = QVariant();
}

void Dataset::calculateFields()
{
    if (m_calcFields.isEmpty() && !onCalcFields)
        return;
    FlagGuard guard(m_calculating);
    for (Field *f : std::as_const(m_calcFields))
        f->m_value = QVariant();
    run(onCalcFields, *this);
}

void Dataset::checkFieldWrite(const Field *field) const
{
    if (field->isCalculated()) {
        if (m_calculating || isEditing())
            return;
        stateError();
    }
    if (field->isReadOnly())
        fail(DatabaseError::Kind::State, u"Pole '%1' nelze měnit"_s.arg(field->displayName()));
    if (!isEditing() || m_calculating)
        stateError();
}

void Dataset::fieldChanged(Field *field)
{
    if (field->isCalculated()) {
        if (!m_calculating)
            notifyData(field);
        return;
    }
    m_modified = true;
    if (!m_autoCalc || m_calcFields.isEmpty()) {
        if (m_autoCalc)
            calculateFields(); // onCalcFields may still have work without declared fields
        notifyData(field);
        return;
    }
    m_calcBefore.resize(m_calcFields.size());
    for (qsizetype i = 0; i < m_calcFields.size(); ++i)
        m_calcBefore[i] = m_calcFields[i]->m_value;
    calculateFields();
    notifyData(field);
    for (qsizetype i = 0; i < m_calcFields.size(); ++i) {
        if (m_calcFields[i]->m_value != m_calcBefore[i])
            notifyData(m_calcFields[i]);
    }
}

// ---------------------------------------------------------------- notifications

void Dataset::notifyData(Field *field)
{
    if (m_disableCount > 0) {
        m_missedNotify = true;
        return;
    }
    for (DataSource *source : std::as_const(m_sources))
        Q_EMIT source->dataChanged(field);
}

void Dataset::notifyState()
{
    if (m_disableCount > 0)
        return;
    for (DataSource *source : std::as_const(m_sources))
        Q_EMIT source->stateChanged(m_state);
}

void Dataset::notifyUpdateRecord()
{
    if (m_disableCount > 0 || !isEditing())
        return;
    for (DataSource *source : std::as_const(m_sources))
        Q_EMIT source->updateData();
}

void Dataset::setState(DatasetState state)
{
    if (state == m_state)
        return;
    m_state = state;
    notifyState();
}

void Dataset::checkActive() const
{
    if (!isActive())
        fail(DatabaseError::Kind::State, u"Tabulka %1 není otevřena"_s.arg(m_name));
}

void Dataset::checkInactive(const char *what) const
{
    if (isActive())
        fail(DatabaseError::Kind::State,
             u"Tabulka %1 je otevřena (%2)"_s.arg(m_name, QString::fromLatin1(what)));
}

void Dataset::stateError() const
{
    fail(DatabaseError::Kind::State, u"Tabulka %1 není v režimu úprav ani vkládání"_s.arg(m_name));
}

// ---------------------------------------------------------------- CalcSuspender

CalcSuspender::CalcSuspender(Dataset &dataset)
    : m_dataset(dataset), m_previous(dataset.autoCalcFields()), m_exceptions(std::uncaught_exceptions())
{
    m_dataset.setAutoCalcFields(false);
}

CalcSuspender::~CalcSuspender()
{
    m_dataset.setAutoCalcFields(m_previous);
    if (m_previous && std::uncaught_exceptions() > m_exceptions && m_dataset.isActive()) {
        try {
            m_dataset.calculateFields();
            m_dataset.notifyData(nullptr);
        } catch (...) {
            // The first error is the one to report.
        }
    }
}

} // namespace data
