#pragma once

#include <QString>

namespace data {

class Dataset;

// The main window's status bar, as the data layer sees it.
class IStatusSink
{
public:
    enum Panel
    {
        Message = 0, // progress texts of long operations
        Record = 1,  // record number and count
        Edit = 2,    // "EDIT" while a table is edited
    };

    virtual ~IStatusSink();
    virtual void setStatusText(int panel, const QString &text) = 0;
};

// "EDIT" while the dataset is in edit or insert state, else empty.
QString statusEditText(const Dataset &dataset);
// "Nový záznam" while inserting; "0/"count when count is below 1; otherwise
// the current record number, "/" and count.
QString zaznamText(const Dataset &dataset, int count);

// Shows those texts in their panels.
void StatusEdit(IStatusSink &sink, const Dataset &dataset);
void Zaznam(IStatusSink &sink, const Dataset &dataset, int count);

} // namespace data
