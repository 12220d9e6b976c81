#include "print/CompanyList.h"

#include "data/Dataset.h"
#include "data/RecordStore.h"
#include "print/Layout.h"

using namespace Qt::StringLiterals;

namespace print {

namespace {

// The rows as a table of their own, so the detail band binds to TableA.Cislo
// and the like as to any other table.
const paradox::Schema &rowSchema()
{
    static const paradox::Schema schema = [] {
        paradox::Schema s;
        s.fields = {{u"Cislo"_s, paradox::FieldType::Long, 4},
                    {u"Nazev"_s, paradox::FieldType::Alpha, 255},
                    {u"Adresar"_s, paradox::FieldType::Alpha, 255}};
        return s;
    }();
    return schema;
}

} // namespace

bool isCompanyListField(QStringView table, QStringView field)
{
    if (table != u"TableA")
        return false;
    for (const paradox::FieldDef &f : rowSchema().fields)
        if (field.compare(f.name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QList<PreparedPage> companyListPages(const QList<CompanyListRow> &rows, double leftMarginMm,
                                     bool centralEuropeanFonts)
{
    PageLayout layout = loadLayout(u":/print/layouts/rvoz1a.layout"_s, isCompanyListField);
    if (centralEuropeanFonts)
        convertToCentralEuropean(layout);

    const paradox::Schema &schema = rowSchema();
    QList<QVariantList> records;
    records.reserve(rows.size());
    for (const CompanyListRow &r : rows)
        records.append({r.number, r.name, r.directory});
    data::MemoryStore store(schema, std::move(records));
    data::Dataset table(u"TableA"_s, &store);
    table.createFields(schema);
    table.open();

    ReportData data;
    data.field = [&table](const QString &source) -> const data::Field * {
        return source.startsWith(u"TableA."_s) ? table.findField(source.mid(7)) : nullptr;
    };
    data.rows = &table;
    data.texts.insert(u"QRExprPocet"_s, QString::number(rows.size()));
    ReportOptions options;
    options.leftMarginMm = leftMarginMm;
    return prepareReport(layout, data, options);
}

} // namespace print
