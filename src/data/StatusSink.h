#pragma once

#include <QString>

namespace data {

class Dataset;

// Where the user stands in the shown table: on a record of so many, on a new
// record not yet posted, or nowhere (no table's position is shown).
struct RecordPosition
{
    enum class Kind
    {
        None,
        Record,
        NewRecord,
    };
    Kind kind = Kind::None;
    int recNo = 0; // 0 when the table is empty or the record new
    int count = 0; // 0 for a new record

    bool operator==(const RecordPosition &) const = default;

    // The current record of `dataset` among `count` records.
    static RecordPosition of(const Dataset &dataset, int count);
};

// What the data module and the work on a settlement report as it happens.
// The window that shows it decides where and in which words; a tool without
// a window shows nothing.
class IStatusSink
{
public:
    virtual ~IStatusSink();
    // What an operation is doing or has just done; empty when it is over.
    virtual void message(const QString &text) = 0;
    // The shown table went into editing (a changed or a new record) or left it.
    virtual void editingChanged(bool editing) = 0;
    virtual void positionChanged(const RecordPosition &position) = 0;

    // Nothing in progress, edited or positioned: a settlement has just been
    // opened or changed as a whole.
    void clear();
};

} // namespace data
