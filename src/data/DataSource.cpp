#include "data/DataSource.h"

namespace data {

DataSource::DataSource(Dataset *dataset, QObject *parent) : QObject(parent)
{
    setDataset(dataset);
}

DataSource::~DataSource()
{
    // No signals from here: the bound boxes may be half torn down already.
    if (m_dataset)
        m_dataset->m_sources.removeAll(this);
}

void DataSource::setDataset(Dataset *dataset)
{
    if (dataset == m_dataset)
        return;
    if (m_dataset)
        m_dataset->m_sources.removeAll(this);
    m_dataset = dataset;
    if (m_dataset)
        m_dataset->m_sources.append(this);
    Q_EMIT stateChanged(state());
    Q_EMIT dataChanged(nullptr);
}

DatasetState DataSource::state() const
{
    return m_dataset ? m_dataset->state() : DatasetState::Inactive;
}

bool DataSource::edit()
{
    if (!m_dataset || !m_dataset->isActive())
        return false;
    if (m_dataset->isEditing())
        return true;
    if (!m_autoEdit)
        return false;
    m_dataset->edit();
    return true;
}

} // namespace data
