#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace data {
class TDM1;
}

namespace filing {

// What a filing reads from the settlement, taken at one moment: the
// one-record tables as field name -> value (calculated fields included; an
// empty field is an invalid QVariant) and the places of work in the order
// of their key, without the filler rows of a page numbering.
struct Snapshot
{
    using Record = QHash<QString, QVariant>;

    struct Place
    {
        QString name;         // N3
        QVariant count;       // C4
        QString municipality; // N5
        QString code;         // N6 (ZÚJ)
        QString district;     // N7
    };

    Record prp, vdvl, vdvs, vpkv, vpkb;
    QList<Place> places;

    // Typed reads; an empty field gives nothing, a name the record lacks
    // (a misspelling) throws data::DatabaseError.
    static QString text(const Record &record, const QString &field);
    static std::optional<qint64> amount(const Record &record, const QString &field);
    static std::optional<QDate> date(const Record &record, const QString &field);
    static bool flag(const Record &record, const QString &field);
};

// The open settlement's values. The places are read through the second
// cursor over "Vpz.DB", so the employee list keeps its position. Throws
// data::DatabaseError when a table cannot be read.
Snapshot readSnapshot(data::TDM1 &dm);

} // namespace filing
