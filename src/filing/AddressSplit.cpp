#include "filing/AddressSplit.h"

#include "filing/OfficeMatch.h"

#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace filing {

namespace {

const QRegularExpression &postcodeAtStart()
{
    static const QRegularExpression re(u"^(?:PSČ\\s*:?\\s*)?(\\d{3})\\s?(\\d{2})(?:\\s+|$)"_s,
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

const QRegularExpression &postcodeAtEnd()
{
    static const QRegularExpression re(u"(?:^|\\s)(?:PSČ\\s*:?\\s*)?(\\d{3})\\s?(\\d{2})$"_s,
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

// A postcode inside a line without a comma: "Lhota 12 25001 Brandýs".
const QRegularExpression &postcodeInside()
{
    static const QRegularExpression re(u"\\s(\\d{3})\\s?(\\d{2})\\s+(\\D.*)$"_s);
    return re;
}

bool isPostBox(const QString &text)
{
    const QString folded = foldText(text);
    return folded.contains(u"p o box"_s) || folded.contains(u"pobox"_s) || folded.contains(u"po box"_s) ||
           folded.contains(u"postovni prihradka"_s) || folded.contains(u"post box"_s);
}

// Postcode and municipality from the place part.
void splitPlace(QString place, AddressParts &parts)
{
    place = place.trimmed();
    QRegularExpressionMatch m = postcodeAtStart().match(place);
    if (!m.hasMatch())
        m = postcodeAtEnd().match(place);
    if (m.hasMatch()) {
        parts.postcode = m.captured(1) + m.captured(2);
        place.remove(m.capturedStart(), m.capturedLength());
    }
    parts.municipality = place.trimmed();
}

void splitStreet(const QString &streetPart, AddressParts &parts)
{
    static const QRegularExpression numbers(u"^(\\d{1,6})(?:/(\\w{1,4}))?$"_s);
    static const QRegularExpression houseMark(u"^(?:č\\.?\\s?p\\.?|čp\\.?)$"_s,
                                              QRegularExpression::CaseInsensitiveOption);
    QStringList words = streetPart.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = words.size() - 1; i >= 0; --i) {
        if (!words[i].at(0).isDigit())
            continue;
        const QRegularExpressionMatch m = numbers.match(words[i]);
        if (!m.hasMatch())
            continue;
        parts.houseNumber = m.captured(1);
        parts.orientNumber = m.captured(2);
        words = words.mid(0, i);
        // "č. p." may be written as one word or two.
        if (!words.isEmpty() && houseMark.match(words.last()).hasMatch())
            words.removeLast();
        else if (words.size() >= 2 && houseMark.match(words[words.size() - 2] + words.last()).hasMatch())
            words.resize(words.size() - 2);
        break;
    }
    parts.street = words.join(u' ');
}

} // namespace

AddressSplit splitAddress(const QString &line)
{
    AddressSplit split;
    const QString text = line.simplified();
    if (text.isEmpty()) {
        split.problem = u"Adresa není vyplněna."_s;
        return split;
    }

    QString streetPart = text;
    const qsizetype comma = text.lastIndexOf(u',');
    if (comma >= 0) {
        streetPart = text.left(comma).trimmed();
        splitPlace(text.mid(comma + 1), split.parts);
    } else if (const QRegularExpressionMatch m = postcodeInside().match(text); m.hasMatch()) {
        streetPart = text.left(m.capturedStart()).trimmed();
        split.parts.postcode = m.captured(1) + m.captured(2);
        split.parts.municipality = m.captured(3).trimmed();
    }

    QStringList missing;
    if (isPostBox(streetPart)) {
        split.problem =
            u"Poštovní přihrádka není adresou místa pobytu ani sídla; doplňte ulici a číslo domu."_s;
        return split;
    }
    splitStreet(streetPart, split.parts);

    if (split.parts.street.isEmpty())
        missing.append(u"ulici nebo název obce či její části"_s);
    if (split.parts.houseNumber.isEmpty())
        missing.append(u"číslo domu"_s);
    if (split.parts.postcode.isEmpty())
        missing.append(u"PSČ"_s);
    if (split.parts.municipality.isEmpty())
        missing.append(u"obec"_s);
    if (!missing.isEmpty())
        split.problem = u"V adrese „%1“ chybí %2."_s.arg(text, missing.join(u", "_s));
    return split;
}

} // namespace filing
