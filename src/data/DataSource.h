#pragma once

#include "data/Dataset.h"

#include <QObject>

namespace data {

// What windows bind to: one data source per dataset. Bound boxes listen to
// dataChanged() to show values, to stateChanged() to enable themselves, and
// write their pending text on updateData(), which comes just before a post.
class DataSource : public QObject
{
    Q_OBJECT

public:
    explicit DataSource(Dataset *dataset = nullptr, QObject *parent = nullptr);
    ~DataSource() override;

    Dataset *dataset() const { return m_dataset; }
    void setDataset(Dataset *dataset);

    DatasetState state() const;

    // Whether a bound box may put the dataset into edit mode when the user
    // starts typing.
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }
    // Called by a bound box when the user changes its text: puts a browsing
    // dataset into edit mode when autoEdit allows; returns whether it is now
    // editable.
    bool edit();

Q_SIGNALS:
    // A field's value changed (field set) or the whole record did (nullptr:
    // scroll, cancel, refresh, open).
    void dataChanged(data::Field *field);
    void stateChanged(data::DatasetState state);
    // Write pending text into the fields now; a box may throw DatabaseError
    // to stop the post.
    void updateData();

private:
    friend class Dataset;

    Dataset *m_dataset = nullptr;
    bool m_autoEdit = true;
};

} // namespace data
