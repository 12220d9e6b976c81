#include "data/StatusSink.h"

#include "data/Dataset.h"

namespace data {

IStatusSink::~IStatusSink() = default;

void IStatusSink::clear()
{
    message(QString());
    positionChanged({});
    editingChanged(false);
}

RecordPosition RecordPosition::of(const Dataset &dataset, int count)
{
    if (dataset.state() == DatasetState::Insert)
        return {Kind::NewRecord, 0, 0};
    return {Kind::Record, count < 1 ? 0 : dataset.recNo(), count};
}

} // namespace data
