#include "statements/Signatory.h"

#include "statements/FormTexts.h"

#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace statements {

bool validCompanyId(const QString &id)
{
    const QString digits = QString(id).remove(u' ');
    static const QRegularExpression eight(u"^\\d{8}$"_s);
    if (!eight.match(digits).hasMatch())
        return false;
    int sum = 0;
    for (int i = 0; i < 7; ++i)
        sum += digits[i].digitValue() * (8 - i);
    const int check = (11 - sum % 11) % 10;
    return digits[7].digitValue() == check;
}

bool businessLikeName(const QString &name)
{
    const QString folded = u' ' + foldText(name) + u' ';
    static const QStringList marks = {u" s r o "_s,  u" spol "_s,     u" a s "_s,      u" v o s "_s,
                                      u" k s "_s,    u" z s "_s,      u" o p s "_s,    u" z u "_s,
                                      u" s p "_s,    u" se "_s,       u" druzstvo "_s, u" spolecnost "_s,
                                      u" nadace "_s, u" spolek "_s,   u" kancelar "_s, u" advokatni "_s,
                                      u" danova "_s, u" agentura "_s, u" konzult"_s,   u" audit"_s};
    for (const QString &m : marks)
        if (folded.contains(m))
            return true;
    return false;
}

std::optional<QDate> birthDate(const QString &id)
{
    const QString t = id.simplified();
    if (const std::optional<QDate> d = parseDayDate(t); d && d->year() > 1900)
        return d;
    static const QRegularExpression packed(u"^(\\d{2})(\\d{2})(\\d{4})$"_s);
    if (const QRegularExpressionMatch m = packed.match(QString(t).remove(u' ')); m.hasMatch()) {
        const QDate d(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
        if (d.isValid() && d.year() > 1900)
            return d;
    }
    return std::nullopt;
}

SignatoryKind classifySignatory(const QString &code, const QString &name, const QString &id)
{
    const QString c = code.trimmed();
    if (c.isEmpty())
        return SignatoryKind::None;
    const QString number = id.simplified();
    if (c == u"4c" || c == u"7a")
        return SignatoryKind::LegalPerson;
    const bool date = birthDate(number).has_value();
    const bool companyId = validCompanyId(number);
    const bool business = businessLikeName(name);
    if (c == u"4b") // a tax adviser or advocate as a natural person
        return date ? SignatoryKind::BornOn
                    : (number.isEmpty() ? SignatoryKind::NaturalUnnamed : SignatoryKind::Certificate);
    if (number.isEmpty())
        return business ? SignatoryKind::LegalPerson : SignatoryKind::NaturalUnnamed;
    if (companyId && business)
        return SignatoryKind::LegalPerson;
    if (companyId || business)
        return SignatoryKind::Unclear;
    return date ? SignatoryKind::BornOn : SignatoryKind::Certificate;
}

QString signatoryKindKey(SignatoryKind kind)
{
    switch (kind) {
    case SignatoryKind::LegalPerson:
        return u"P"_s;
    case SignatoryKind::BornOn:
        return u"D"_s;
    case SignatoryKind::Certificate:
        return u"E"_s;
    default:
        return {};
    }
}

SignatoryKind signatoryKindFromKey(const QString &key)
{
    if (key == u"P")
        return SignatoryKind::LegalPerson;
    if (key == u"D")
        return SignatoryKind::BornOn;
    if (key == u"E")
        return SignatoryKind::Certificate;
    return SignatoryKind::Unclear;
}

} // namespace statements
