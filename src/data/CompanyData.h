#pragma once

#include <QList>
#include <QString>

// Rules of the company data editor that need no window: the copies of the
// heading data onto the withholding statement's pages, and the captions of
// the check boxes that read differently checked and unchecked.
namespace data {

class Dataset;

// A field of the withholding statement's heading that may take the value of
// its counterpart in the employment statement's heading.
struct CompanyCopy
{
    QString target;
    QString source;
    // The question up to and including the colon and its blank.
    QString question;
};

// Every copy, in the order of the boxes on the pages.
const QList<CompanyCopy> &companyCopies();
// The copy into `target` (any letter case); nullptr when there is none.
const CompanyCopy *findCompanyCopy(const QString &target);

// "Opravdu chcete přenést příjmení: Novák ?": the question with the source
// field's current text.
QString companyCopyQuestion(const Dataset &prp, const CompanyCopy &copy);
// Puts the record into edit mode and gives the target the source's text; a
// shorter target keeps what fits. Throws DatabaseError.
void copyCompanyField(Dataset &prp, const CompanyCopy &copy);

// The captions of DBCheckBoxZdo and DBCheckBoxPfo for their state.
QString zdoCaption(bool checked);
QString pfoCaption(bool checked);

} // namespace data
