#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace filing {

// A tax office of the code list "c_ufo" (the fourteen regional offices and
// the specialised office for large taxpayers).
struct Office
{
    int code = 0;
    QString name;
};

// A territorial workplace of the code list "c_pracufo" and the office it
// belongs to.
struct Workplace
{
    int code = 0;
    int office = 0;
    QString name;
};

// The rows of a semicolon-separated code list: the first line names the
// columns and is checked against `columns`; every further non-empty line must
// have exactly as many cells. A byte-order mark and CR LF line ends are
// accepted. Failures name the line in Czech.
struct CsvRows
{
    QList<QStringList> rows;
    QString error; // empty when the text was read completely
};
CsvRows parseCodeListCsv(const QByteArray &text, const QStringList &columns);

// The two code lists of the offices valid for the tax year. builtIn() reads
// the copies compiled into the program; a list that cannot be read leaves
// error() set and the lists empty.
class CodeLists
{
public:
    static const CodeLists &builtIn();
    static CodeLists parse(const QByteArray &officesCsv, const QByteArray &workplacesCsv);

    const QList<Office> &offices() const { return m_offices; }
    const QList<Workplace> &workplaces() const { return m_workplaces; }
    const QString &error() const { return m_error; }

    const Office *office(int code) const;
    const Workplace *workplace(int code) const;
    QList<Workplace> workplacesOf(int office) const;

private:
    QList<Office> m_offices;
    QList<Workplace> m_workplaces;
    QString m_error;
};

} // namespace filing
