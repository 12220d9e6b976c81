#include "filing/CodeLists.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace filing {

namespace {

std::optional<int> code(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value <= 0)
        return std::nullopt;
    return value;
}

QByteArray resource(const QString &name)
{
    QFile file(u":/filing/"_s + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

CsvRows parseCodeListCsv(const QByteArray &text, const QStringList &columns)
{
    CsvRows result;
    QString all = QString::fromUtf8(text);
    if (all.startsWith(QChar(0xFEFF)))
        all.remove(0, 1);
    const QStringList lines = all.split(u'\n');
    bool header = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        QStringList cells = line.split(u';');
        for (QString &c : cells)
            c = c.trimmed();
        if (header) {
            if (cells != columns) {
                result.error =
                    u"Číselník nemá očekávané sloupce %1 (řádek %2)."_s.arg(columns.join(u';')).arg(i + 1);
                return result;
            }
            header = false;
            continue;
        }
        if (cells.size() != columns.size()) {
            result.error =
                u"Řádek %1 číselníku nemá %2 údaje oddělené středníkem."_s.arg(i + 1).arg(columns.size());
            result.rows.clear();
            return result;
        }
        result.rows.append(cells);
    }
    if (header)
        result.error = u"Číselník je prázdný."_s;
    return result;
}

CodeLists CodeLists::parse(const QByteArray &officesCsv, const QByteArray &workplacesCsv)
{
    CodeLists lists;
    const CsvRows offices = parseCodeListCsv(officesCsv, {u"code"_s, u"name"_s});
    const CsvRows workplaces = parseCodeListCsv(workplacesCsv, {u"c_pracufo"_s, u"c_ufo"_s, u"name"_s});
    auto fail = [&lists](const QString &error) {
        lists = CodeLists();
        lists.m_error = error;
        return lists;
    };
    if (!offices.error.isEmpty())
        return fail(u"Číselník finančních úřadů: "_s + offices.error);
    if (!workplaces.error.isEmpty())
        return fail(u"Číselník územních pracovišť: "_s + workplaces.error);
    for (const QStringList &row : offices.rows) {
        const std::optional<int> c = code(row[0]);
        if (!c || row[1].isEmpty())
            return fail(u"Číselník finančních úřadů: neplatný řádek „%1“."_s.arg(row.join(u';')));
        lists.m_offices.append({*c, row[1]});
    }
    for (const QStringList &row : workplaces.rows) {
        const std::optional<int> c = code(row[0]);
        const std::optional<int> o = code(row[1]);
        if (!c || !o || row[2].isEmpty() || !lists.office(*o))
            return fail(u"Číselník územních pracovišť: neplatný řádek „%1“."_s.arg(row.join(u';')));
        lists.m_workplaces.append({*c, *o, row[2]});
    }
    return lists;
}

const CodeLists &CodeLists::builtIn()
{
    static const CodeLists lists = parse(resource(u"c_ufo.csv"_s), resource(u"c_pracufo.csv"_s));
    return lists;
}

const Office *CodeLists::office(int code) const
{
    for (const Office &o : m_offices)
        if (o.code == code)
            return &o;
    return nullptr;
}

const Workplace *CodeLists::workplace(int code) const
{
    for (const Workplace &w : m_workplaces)
        if (w.code == code)
            return &w;
    return nullptr;
}

QList<Workplace> CodeLists::workplacesOf(int office) const
{
    QList<Workplace> result;
    for (const Workplace &w : m_workplaces)
        if (w.office == office)
            result.append(w);
    return result;
}

} // namespace filing
