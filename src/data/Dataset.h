#pragma once

#include "data/DataError.h"
#include "data/Field.h"
#include "data/RecordStore.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace data {

class DataSource;

enum class DatasetState
{
    Inactive,
    Browse,
    Edit,
    Insert,
};

// A table as the editors, calculations and printing use it: a cursor over a
// RecordStore with one current record held in typed field objects.
//
// Lifecycle: declare the fields (or createFields() from a schema), open(),
// then browse, edit, insert, post and cancel. Leaving a changed record by
// scrolling, inserting or refreshing posts it first; an unchanged edit or a
// new record nobody touched is cancelled instead. close() discards unposted
// changes. Every failure throws DatabaseError; a failed post leaves the
// dataset in edit or insert state with the values as they were.
class Dataset
{
public:
    using Event = std::function<void(Dataset &)>;

    explicit Dataset(const QString &name, RecordStore *store = nullptr);
    virtual ~Dataset();
    Dataset(const Dataset &) = delete;
    Dataset &operator=(const Dataset &) = delete;

    const QString &name() const { return m_name; }
    RecordStore *store() const { return m_store; }
    void setStore(RecordStore *store); // only while closed

    // Field declaration, in declaration order; only while closed.
    FloatField *addFloatField(const QString &name, FieldRole role = FieldRole::Stored);
    IntegerField *addIntegerField(const QString &name, paradox::FieldType type = paradox::FieldType::Long,
                                  FieldRole role = FieldRole::Stored);
    StringField *addStringField(const QString &name, int size = 20, FieldRole role = FieldRole::Stored);
    BooleanField *addBooleanField(const QString &name, FieldRole role = FieldRole::Stored);
    DateField *addDateField(const QString &name, FieldRole role = FieldRole::Stored);
    // A stored field of the given engine type.
    Field *addField(const paradox::FieldDef &def);
    // One stored field per schema field that is not declared yet.
    void createFields(const paradox::Schema &schema);

    int fieldCount() const { return int(m_fields.size()); }
    Field *field(int index) const { return m_fields[std::size_t(index)].get(); }
    Field *findField(const QString &name) const;   // case-insensitive; nullptr if absent
    Field *fieldByName(const QString &name) const; // throws when absent
    // Typed lookup for wiring: throws when absent or of another class.
    template <class F> F *fieldAs(const QString &name) const;

    // Declared stored fields the schema lacks (what an upgrade must add).
    QStringList missingFields(const paradox::Schema &schema) const;

    // A table that holds exactly one record: opening a table whose file is
    // empty adds an empty record (no events, no defaults) so that editors and
    // calculations always find their record.
    bool isOneRecord() const { return m_oneRecord; }
    void setOneRecord(bool oneRecord) { m_oneRecord = oneRecord; }

    // Where "today" comes from for date texts; tests fix it.
    void setToday(std::function<QDate()> today) { m_today = std::move(today); }
    QDate today() const { return m_today ? m_today() : QDate::currentDate(); }

    void open();
    void close();
    bool isActive() const { return m_state != DatasetState::Inactive; }
    void setActive(bool active) { active ? open() : close(); }
    DatasetState state() const { return m_state; }
    bool isEditing() const { return m_state == DatasetState::Edit || m_state == DatasetState::Insert; }
    // Whether a stored field changed since edit or insert began.
    bool isModified() const { return m_modified; }

    void edit();
    void insert();
    void append();
    void post();
    void cancel();
    void deleteRecord();
    // Posts a changed record, cancels an unchanged one.
    void checkBrowseMode();

    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance); // returns how far it moved
    // 1-based position of the current record; 0 when empty, -1 while inserting.
    int recNo() const;
    void setRecNo(int recNo);
    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    // Re-reads the store and stays on the same position.
    void refresh();
    // Moves to the record whose key fields equal `key`; false (and no move)
    // when there is none.
    bool findKey(const QVariantList &key);

    // While disabled (nestable) the data sources hear nothing; enabling again
    // tells them the whole record and state may have changed.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // Calculated fields are recomputed on every read of a record and after
    // every assignment to a stored field while this is on.
    bool autoCalcFields() const { return m_autoCalc; }
    void setAutoCalcFields(bool on) { m_autoCalc = on; }
    // Recomputes the calculated fields now.
    void calculateFields();

    Event beforeOpen, afterOpen, beforeClose, afterClose;
    Event beforeEdit, afterEdit;
    Event beforeInsert, afterInsert, onNewRecord;
    Event beforePost, afterPost;
    Event beforeCancel, afterCancel;
    Event beforeDelete, afterDelete;
    Event beforeScroll, afterScroll;
    Event onCalcFields;

private:
    friend class Field;
    friend class DataSource;
    friend class CalcSuspender;

    template <class F, class... Args> F *declare(Args &&...args);
    void checkActive() const;
    void checkInactive(const char *what) const;
    void setState(DatasetState state);
    void loadCurrent();
    void followStore(bool force);
    void clearBuffer();
    void beginInsert(int position);
    void scrollTo(int position);
    void checkFieldWrite(const Field *field) const;
    void fieldChanged(Field *field);
    void notifyData(Field *field);
    void notifyState();
    void notifyUpdateRecord();
    [[noreturn]] void stateError() const;

    QString m_name;
    RecordStore *m_store;
    std::vector<std::unique_ptr<Field>> m_fields;
    QList<Field *> m_dataFields;
    QList<Field *> m_calcFields;
    QVariantList m_calcBefore;        // reused on every assignment, no allocation
    QHash<QString, Field *> m_byName; // keyed by lower-case name
    QList<DataSource *> m_sources;
    std::function<QDate()> m_today;

    DatasetState m_state = DatasetState::Inactive;
    QVariantList m_record; // the store's record under the cursor, all columns
    int m_position = -1;   // in the store; -1 when empty
    int m_insertPosition = -1;
    int m_columns = 0;
    int m_keyFields = 0;
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    bool m_oneRecord = false;
    bool m_autoCalc = true;
    bool m_calculating = false;
    bool m_missedNotify = false;
    int m_disableCount = 0;
    DatasetState m_stateAtDisable = DatasetState::Inactive;
};

// Switches the automatic recalculation off for a scope (the rounding before
// a post assigns well over a hundred amounts). The previous setting comes
// back even when an assignment throws; the calculated fields are then brought
// up to date because no re-read of the record follows.
class CalcSuspender
{
public:
    explicit CalcSuspender(Dataset &dataset);
    ~CalcSuspender();
    CalcSuspender(const CalcSuspender &) = delete;
    CalcSuspender &operator=(const CalcSuspender &) = delete;

private:
    Dataset &m_dataset;
    bool m_previous;
    int m_exceptions;
};

template <class F> F *Dataset::fieldAs(const QString &name) const
{
    F *typed = dynamic_cast<F *>(fieldByName(name));
    if (!typed)
        throw DatabaseError(
            DatabaseError::Kind::MissingField,
            QStringLiteral("Pole '%1' v tabulce %2 má jiný typ, než program očekává").arg(name, m_name));
    return typed;
}

} // namespace data
