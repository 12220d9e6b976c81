#include "data/CompanyData.h"

#include "data/Dataset.h"

using namespace Qt::StringLiterals;

namespace data {

const QList<CompanyCopy> &companyCopies()
{
    static const QList<CompanyCopy> copies = {
        {u"Prks"_s, u"Prk"_s, u"Opravdu chcete přenést příjmení: "_s},
        {u"Jmds"_s, u"Jmd"_s, u"Opravdu chcete přenést jméno: "_s},
        {u"Ti"_s, u"Tiv"_s, u"Opravdu chcete přenést titul: "_s},
        {u"Ojs"_s, u"Ojv"_s, u"Opravdu chcete přenést název právnické osoby ř. 1: "_s},
        {u"Ojsb"_s, u"Ojva"_s, u"Opravdu chcete přenést název právnické osoby ř. 2: "_s},
        {u"Adrb"_s, u"Mi"_s, u"Opravdu chcete přenést místo pobytu nebo sídlo: "_s},
        {u"Vses"_s, u"Ses"_s, u"Opravdu chcete přenést kontaktní osoba: "_s},
        {u"Telx"_s, u"Tel"_s, u"Opravdu chcete přenést telefon: "_s},
        {u"Emlx"_s, u"Emlv"_s, u"Opravdu chcete přenést e-mail: "_s},
        {u"Kzsa"_s, u"Kzs"_s, u"Opravdu chcete přenést kód podepisující osoby: "_s},
        {u"Zjms"_s, u"Zjm"_s, u"Opravdu chcete přenést údaje o podepisující osobě ř. 1: "_s},
        {u"Zdes"_s, u"Zde"_s, u"Opravdu chcete přenést údaje o podepisující osobě ř. 2: "_s},
        {u"Zjvs"_s, u"Zjv"_s, u"Opravdu chcete přenést údaje o podepisující osobě ř. 3: "_s},
    };
    return copies;
}

const CompanyCopy *findCompanyCopy(const QString &target)
{
    for (const CompanyCopy &copy : companyCopies()) {
        if (copy.target.compare(target, Qt::CaseInsensitive) == 0)
            return &copy;
    }
    return nullptr;
}

QString companyCopyQuestion(const Dataset &prp, const CompanyCopy &copy)
{
    return copy.question + prp.fieldByName(copy.source)->displayText() + u" ?"_s;
}

void copyCompanyField(Dataset &prp, const CompanyCopy &copy)
{
    const QString text = prp.fieldByName(copy.source)->asString();
    if (!prp.isEditing())
        prp.edit();
    prp.fieldByName(copy.target)->setAsString(text);
}

QString zdoCaption(bool checked)
{
    return checked ? u"Za zdaňovací období"_s : u"Za část zdaňovacího období"_s;
}

QString pfoCaption(bool checked)
{
    return checked ? u"fyzických osob"_s : u"právnických osob"_s;
}

} // namespace data
