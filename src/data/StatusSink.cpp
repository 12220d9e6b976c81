#include "data/StatusSink.h"

#include "data/Dataset.h"

using namespace Qt::StringLiterals;

namespace data {

IStatusSink::~IStatusSink() = default;

QString statusEditText(const Dataset &dataset)
{
    return dataset.isEditing() ? u"EDIT"_s : QString();
}

QString zaznamText(const Dataset &dataset, int count)
{
    if (dataset.state() == DatasetState::Insert)
        return u"Nový záznam"_s;
    if (count < 1)
        return u"0/"_s + QString::number(count);
    return QString::number(dataset.recNo()) + u'/' + QString::number(count);
}

void StatusEdit(IStatusSink &sink, const Dataset &dataset)
{
    sink.setStatusText(IStatusSink::Edit, statusEditText(dataset));
}

void Zaznam(IStatusSink &sink, const Dataset &dataset, int count)
{
    sink.setStatusText(IStatusSink::Record, zaznamText(dataset, count));
}

} // namespace data
