#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

namespace filing {

// One complaint of the schema about a document.
struct SchemaComplaint
{
    int line = 0;      // of the document; 0 when libxml2 gives none
    QString element;   // "VetaE"
    QString attribute; // "rok_nespr", empty when the complaint is about the element
    QString message;   // libxml2's own text
    QString czech;     // what it means, in Czech
};

// A published XML schema, parsed once, against which documents are checked
// with libxml2. Neither the schema nor a document may reach the network.
class SchemaValidator
{
public:
    // The schema's text; a schema that cannot be parsed leaves error() set
    // and refuses every document.
    explicit SchemaValidator(const QByteArray &schema);
    ~SchemaValidator();
    SchemaValidator(const SchemaValidator &) = delete;
    SchemaValidator &operator=(const SchemaValidator &) = delete;

    bool isValid() const { return m_schema != nullptr; }
    const QString &error() const { return m_error; }

    // Empty when the document is well-formed and valid.
    QList<SchemaComplaint> validate(const QByteArray &document) const;

    // The schema of a statement compiled into the program ("DPZVD6",
    // "DPSVD2"), parsed on first use.
    static const SchemaValidator &builtIn(const QString &formCode);

private:
    struct Schema;
    Schema *m_schema = nullptr;
    QString m_error;
};

// libxml2's text of a complaint said in Czech where its form is known:
// a missing required value, a value of the wrong form, too long a text, too
// many digits. Others keep libxml2's text.
QString czechComplaint(const QString &message);

} // namespace filing
