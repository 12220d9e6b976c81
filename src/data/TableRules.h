#pragma once

#include "data/TableDefs.h"

#include <QList>
#include <QString>

#include <functional>

// Rules of the settlement tables beyond what their definitions declare: the
// print query's texts, defaults of new rows, the caption of the main window
// taken from the company data.
namespace data {

class Dataset;

// The read-only query over "Vpz.DB" that printing walks: declares the texts
// Cit and C4a on a dataset that already has Vpz's stored fields, and computes
// them for every row.
void declareVpzQrFields(Dataset &dataset);

// Defaults of a new row: a Vpz place of work starts with an empty name and
// Pmr false (only the filler rows of the page numbering have Pmr empty);
// a Mzd11 month starts with Prdb false. afterDefaults runs last (the
// employee-count window moves the focus to the name box).
void attachNewRecordDefaults(Dataset &dataset, TableId id, std::function<void()> afterDefaults = {});

// The main window's caption, as the data module sees it.
class ICaptionSink
{
public:
    virtual ~ICaptionSink();
    // "Qesto 14.10": the caption without a company.
    virtual QString baseCaption() const = 0;
    virtual void setCaption(const QString &caption) = 0;
};

// The caption for the company data in prp: the base with " - " and the
// person's title, first name and surname when only a person is given, or the
// company name when only a company is given; the base alone when both or
// neither are given.
QString nazevDp1Caption(const QString &base, const Dataset &prp);

} // namespace data
