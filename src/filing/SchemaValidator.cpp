#include "filing/SchemaValidator.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <mutex>

using namespace Qt::StringLiterals;

namespace filing {

struct SchemaValidator::Schema
{
    xmlSchemaPtr schema = nullptr;
};

namespace {

#if LIBXML_VERSION >= 21200
using ErrorPtr = const xmlError *;
#else
using ErrorPtr = xmlErrorPtr;
#endif

struct Collected
{
    QList<SchemaComplaint> complaints;
};

void collect(void *user, ErrorPtr error)
{
    auto *c = static_cast<Collected *>(user);
    SchemaComplaint complaint;
    complaint.line = error->line;
    complaint.message = QString::fromUtf8(error->message).trimmed();
    static const QRegularExpression element(u"Element '([^']+)'"_s);
    static const QRegularExpression attribute(u"attribute '([^']+)'"_s);
    if (const QRegularExpressionMatch m = element.match(complaint.message); m.hasMatch())
        complaint.element = m.captured(1);
    if (const QRegularExpressionMatch m = attribute.match(complaint.message); m.hasMatch())
        complaint.attribute = m.captured(1);
    complaint.czech = czechComplaint(complaint.message);
    c->complaints.append(complaint);
}

} // namespace

SchemaValidator::SchemaValidator(const QByteArray &schema)
{
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewMemParserCtxt(schema.constData(), int(schema.size()));
    if (!parser) {
        m_error = u"Schéma nelze načíst."_s;
        return;
    }
    Collected errors;
    xmlSchemaSetParserStructuredErrors(parser, collect, &errors);
    xmlSchemaPtr parsed = xmlSchemaParse(parser);
    xmlSchemaFreeParserCtxt(parser);
    if (!parsed) {
        m_error = u"Schéma nelze načíst: %1"_s.arg(
            errors.complaints.isEmpty() ? QString() : errors.complaints.first().message);
        return;
    }
    m_schema = new Schema{parsed};
}

SchemaValidator::~SchemaValidator()
{
    if (m_schema) {
        xmlSchemaFree(m_schema->schema);
        delete m_schema;
    }
}

QList<SchemaComplaint> SchemaValidator::validate(const QByteArray &document) const
{
    Collected collected;
    if (!m_schema) {
        collected.complaints.append({0, {}, {}, m_error, m_error});
        return collected.complaints;
    }
    xmlParserCtxtPtr parser = xmlNewParserCtxt();
    if (!parser) {
        collected.complaints.append({0, {}, {}, u"out of memory"_s, u"Nedostatek paměti."_s});
        return collected.complaints;
    }
    xmlSetStructuredErrorFunc(&collected, collect);
    xmlDocPtr doc = xmlCtxtReadMemory(parser, document.constData(), int(document.size()), "podani.xml",
                                      "UTF-8", XML_PARSE_NONET);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    xmlFreeParserCtxt(parser);
    if (!doc) {
        if (collected.complaints.isEmpty())
            collected.complaints.append({0, {}, {}, u"not well-formed"_s, u"Soubor není platné XML."_s});
        return collected.complaints;
    }
    collected.complaints.clear();
    xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(m_schema->schema);
    xmlSchemaSetValidStructuredErrors(valid, collect, &collected);
    const int result = xmlSchemaValidateDoc(valid, doc);
    xmlSchemaFreeValidCtxt(valid);
    xmlFreeDoc(doc);
    if (result != 0 && collected.complaints.isEmpty())
        collected.complaints.append({0, {}, {}, u"invalid"_s, u"Soubor neodpovídá schématu."_s});
    return collected.complaints;
}

const SchemaValidator &SchemaValidator::builtIn(const QString &formCode)
{
    static std::mutex mutex;
    static QHash<QString, std::shared_ptr<SchemaValidator>> cache;
    const std::lock_guard lock(mutex);
    std::shared_ptr<SchemaValidator> &slot = cache[formCode];
    if (!slot) {
        QFile file(u":/filing/"_s + formCode.toLower() + u".xsd"_s);
        const QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        slot = std::make_shared<SchemaValidator>(text);
    }
    return *slot;
}

QString czechComplaint(const QString &message)
{
    static const QRegularExpression required(u"The attribute '[^']+' is required but missing"_s);
    static const QRegularExpression pattern(u"\\[facet 'pattern'\\] The value '([^']*)'"_s);
    static const QRegularExpression atomic(u"'([^']*)' is not a valid value of the atomic type '([^']+)'"_s);
    static const QRegularExpression digits(
        u"\\[facet 'totalDigits'\\] The value '([^']*)' has more digits than "
        u"are allowed \\('(\\d+)'\\)"_s);
    static const QRegularExpression fraction(u"\\[facet 'fractionDigits'\\] The value '([^']*)'"_s);
    static const QRegularExpression maxLength(u"\\[facet 'maxLength'\\].*maximum length of '(\\d+)'"_s);
    static const QRegularExpression local(u"attribute '([^']+)': '([^']*)' is not a valid value of the local "
                                          u"atomic type"_s);
    static const QRegularExpression notExpected(u"This element is not expected"_s);
    static const QRegularExpression missingChild(u"Missing child element"_s);
    static const QRegularExpression fixedValue(
        u"does not match the value constraint|fixed value constraint"_s);
    static const QRegularExpression notAllowed(u"The attribute '([^']+)' is not allowed"_s);
    static const QRegularExpression enumeration(u"\\[facet 'enumeration'\\] The value '([^']*)'"_s);
    static const QRegularExpression range(u"\\[facet '(?:min|max)(?:In|Ex)clusive'\\] The value '([^']*)'"_s);
    static const QRegularExpression minLength(u"\\[facet 'minLength'\\]"_s);

    if (required.match(message).hasMatch())
        return u"údaj chybí"_s;
    if (const QRegularExpressionMatch m = pattern.match(message); m.hasMatch())
        return u"hodnota „%1“ nemá předepsaný tvar"_s.arg(m.captured(1));
    if (const QRegularExpressionMatch m = digits.match(message); m.hasMatch())
        return u"hodnota „%1“ má příliš mnoho číslic (nejvýše %2)"_s.arg(m.captured(1), m.captured(2));
    if (const QRegularExpressionMatch m = fraction.match(message); m.hasMatch())
        return u"hodnota „%1“ musí být v celých korunách"_s.arg(m.captured(1));
    if (const QRegularExpressionMatch m = maxLength.match(message); m.hasMatch())
        return u"text je delší než povolených %1 znaků"_s.arg(m.captured(1));
    if (const QRegularExpressionMatch m = atomic.match(message); m.hasMatch()) {
        if (m.captured(2).contains(u"decimal"_s) || m.captured(2).contains(u"integer"_s))
            return u"hodnota „%1“ není číslo"_s.arg(m.captured(1));
        return u"hodnota „%1“ nemá předepsaný tvar"_s.arg(m.captured(1));
    }
    // A type declared inside the attribute has no name in the message; the
    // filing's attributes of that kind are numbers, or dates by their name.
    if (const QRegularExpressionMatch m = local.match(message); m.hasMatch()) {
        const QString name = m.captured(1);
        if (name.startsWith(u"d_"_s) || name.startsWith(u"b_d_"_s) || name.startsWith(u"zdobd_"_s) ||
            name == u"lh_odv" || name == u"zast_dat_nar")
            return u"hodnota „%1“ není datum (den.měsíc.rok)"_s.arg(m.captured(2));
        return u"hodnota „%1“ není číslo"_s.arg(m.captured(2));
    }
    if (notExpected.match(message).hasMatch())
        return u"záznam je navíc nebo na nepřípustném místě"_s;
    if (missingChild.match(message).hasMatch())
        return u"chybí povinný záznam"_s;
    if (fixedValue.match(message).hasMatch())
        return u"hodnota neodpovídá předepsané"_s;
    if (const QRegularExpressionMatch m = notAllowed.match(message); m.hasMatch())
        return u"údaj %1 není ve formuláři povolen"_s.arg(m.captured(1));
    if (const QRegularExpressionMatch m = enumeration.match(message); m.hasMatch())
        return u"hodnota „%1“ není mezi přípustnými hodnotami"_s.arg(m.captured(1));
    if (const QRegularExpressionMatch m = range.match(message); m.hasMatch())
        return u"hodnota „%1“ je mimo přípustný rozsah"_s.arg(m.captured(1));
    if (minLength.match(message).hasMatch())
        return u"text je kratší, než formulář požaduje"_s;
    // Said in Czech first; libxml2's own words follow it.
    return u"údaj neodpovídá schématu"_s;
}

} // namespace filing
