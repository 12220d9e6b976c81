#include "data/TableRules.h"

#include "data/Dataset.h"
#include "data/Field.h"

using namespace Qt::StringLiterals;

namespace data {

void declareVpzQrFields(Dataset &dataset)
{
    for (const CalcFieldInfo &info : vpzQrCalculatedFields())
        dataset.addStringField(info.name, info.length, FieldRole::Calculated);
    Field *poradi = dataset.fieldByName(u"Poradi"_s);
    Field *pmr = dataset.fieldByName(u"Pmr"_s);
    Field *c4 = dataset.fieldByName(u"C4"_s);
    Field *cit = dataset.fieldByName(u"Cit"_s);
    Field *c4a = dataset.fieldByName(u"C4a"_s);
    dataset.onCalcFields = [poradi, pmr, c4, cit, c4a](Dataset &) {
        cit->setAsString(poradi->asString() + u'.');
        // Filler rows of the page numbering have no Pmr and print dashes.
        c4a->setAsString(pmr->isNull() ? u"-----"_s : c4->asString());
    };
}

void attachNewRecordDefaults(Dataset &dataset, TableId id, std::function<void()> afterDefaults)
{
    if (id == TableId::Vpz) {
        Field *n3 = dataset.fieldByName(u"N3"_s);
        Field *pmr = dataset.fieldByName(u"Pmr"_s);
        dataset.onNewRecord = [n3, pmr, afterDefaults = std::move(afterDefaults)](Dataset &) {
            n3->setAsString(QString());
            pmr->setAsBoolean(false);
            if (afterDefaults)
                afterDefaults();
        };
    } else if (id == TableId::Mzd11) {
        Field *prdb = dataset.fieldByName(u"Prdb"_s);
        dataset.onNewRecord = [prdb, afterDefaults = std::move(afterDefaults)](Dataset &) {
            prdb->setAsBoolean(false);
            if (afterDefaults)
                afterDefaults();
        };
    }
}

ICaptionSink::~ICaptionSink() = default;

QString nazevDp1Caption(const QString &base, const Dataset &prp)
{
    const auto text = [&prp](const QString &name) { return prp.fieldByName(name)->asString(); };
    const QString tiv = text(u"Tiv"_s);
    const QString jmd = text(u"Jmd"_s);
    const QString prk = text(u"Prk"_s);
    const QString ojv = text(u"Ojv"_s);
    const bool person = !tiv.isEmpty() || !jmd.isEmpty() || !prk.isEmpty();
    if (person && ojv.isEmpty())
        return base + u" - "_s + QString(tiv + u' ' + jmd + u' ' + prk).trimmed();
    if (!person && !ojv.isEmpty())
        return base + u" - "_s + ojv.trimmed();
    return base;
}

} // namespace data
