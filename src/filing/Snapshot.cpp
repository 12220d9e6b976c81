#include "filing/Snapshot.h"

#include "data/DataError.h"
#include "data/FieldNames.h"
#include "data/Rounding.h"
#include "data/TDM1.h"
#include "filing/EpoMapping.h"

#include <QDate>

#include <cmath>

using namespace Qt::StringLiterals;

namespace filing {

using namespace data::fields;

namespace {

Snapshot::Record readRecord(data::Dataset &dataset)
{
    Snapshot::Record record;
    record.reserve(dataset.fieldCount());
    for (int i = 0; i < dataset.fieldCount(); ++i) {
        const data::Field *f = dataset.field(i);
        record.insert(f->fieldName(), f->value());
    }
    return record;
}

// Closes the second cursor whatever happens while it is read.
struct CursorGuard
{
    data::Dataset &cursor;
    ~CursorGuard() { cursor.close(); }
};

// A record holds every field of its table, empty ones as invalid values, so a
// name it lacks is a misspelling in the code: refused, so that it fails a test
// instead of leaving a box of a filing empty.
const QVariant &valueOf(const Snapshot::Record &record, const QString &field)
{
    const auto it = record.constFind(field);
    if (it == record.constEnd())
        throw data::DatabaseError(data::DatabaseError::Kind::MissingField,
                                  u"Pole '%1' nebylo nalezeno"_s.arg(field));
    return it.value();
}

} // namespace

QString Snapshot::text(const Record &record, const QString &field)
{
    return valueOf(record, field).toString().trimmed();
}

std::optional<qint64> Snapshot::amount(const Record &record, const QString &field)
{
    const QVariant &v = valueOf(record, field);
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    return qint64(data::roundHalfAway(v.toDouble()));
}

std::optional<QDate> Snapshot::date(const Record &record, const QString &field)
{
    const QDate d = valueOf(record, field).toDate();
    if (!d.isValid())
        return std::nullopt;
    return d;
}

bool Snapshot::flag(const Record &record, const QString &field)
{
    return valueOf(record, field).toBool();
}

Snapshot readSnapshot(data::TDM1 &dm)
{
    Snapshot s;
    s.prp = readRecord(dm.Prp());
    s.vdvl = readRecord(dm.Vdvl());
    s.vdvs = readRecord(dm.Vdvs());
    s.vpkv = readRecord(dm.Vpkv());
    s.vpkb = readRecord(dm.Vpkb());

    data::Dataset &places = dm.VpzPr();
    if (places.isActive())
        places.close();
    dm.openTable(places);
    const CursorGuard guard{places};
    // The columns the employee count's records are written from.
    const auto column = [&places](const char16_t *attribute) {
        return places.fieldByName(EpoMapping::builtIn().field(Form::Employment, u"VetaB", attribute));
    };
    data::Field *name = column(u"naz_vykonu");
    data::Field *count = column(u"poc_zam");
    data::Field *municipality = column(u"naz_obce_zuj");
    data::Field *code = column(u"c_obce_zuj");
    data::Field *district = column(u"naz_zko");
    data::Field *real = places.fieldByName(Vpz::Pmr);
    for (places.first(); !places.eof(); places.next()) {
        // An empty mark is a filler row of the printed sheets.
        if (real->isNull())
            continue;
        s.places.append({name->asString().trimmed(), count->value(), municipality->asString().trimmed(),
                         code->asString().trimmed(), district->asString().trimmed()});
    }
    return s;
}

} // namespace filing
