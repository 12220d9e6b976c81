#include "statements/SettlementExchange.h"

#include "data/TableDefs.h"
#include "statements/TableLayouts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace statements::exchange {

QString numberText(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    QString text = QString::number(value, 'f', 6);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

namespace {

// A value as typed into a box; nothing for a value no box takes.
std::optional<QString> typedText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
        return numberText(value.toDouble());
    case QJsonValue::Bool:
        return value.toBool() ? u"1"_s : u"0"_s;
    case QJsonValue::Null:
        return QString();
    default:
        return std::nullopt;
    }
}

} // namespace

std::variant<Document, QString> readJson(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return u"Soubor není platný JSON (znak %1): %2."_s.arg(error.offset).arg(error.errorString());
    if (!json.isObject())
        return u"Soubor JSON nemá v nejvyšší úrovni objekt."_s;
    const QJsonObject root = json.object();
    if (root.value(u"format"_s).toString() != QLatin1String(FormatName))
        return u"Soubor není ve formátu \"%1\"."_s.arg(QLatin1String(FormatName));
    Document doc;
    const QJsonValue version = root.value(u"formatVersion"_s);
    doc.formatVersion = version.isDouble() ? version.toInt(-1) : -1;
    if (doc.formatVersion < 1)
        return u"Soubor neuvádí verzi formátu (formatVersion)."_s;
    if (doc.formatVersion > FormatVersion)
        return u"Soubor je ve verzi formátu %1, program čte nejvýše verzi %2."_s.arg(doc.formatVersion)
            .arg(FormatVersion);
    doc.program = root.value(u"program"_s).toString();
    const QJsonValue tables = root.value(u"tables"_s);
    if (!tables.isObject())
        return u"Soubor nemá objekt tabulek (tables)."_s;
    const QJsonObject tableObject = tables.toObject();
    for (auto t = tableObject.begin(); t != tableObject.end(); ++t) {
        if (!t.value().isArray())
            return u"Tabulka %1 není pole řádků."_s.arg(t.key());
        Table table;
        table.name = t.key();
        const QJsonArray rows = t.value().toArray();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (!rows[i].isObject())
                return u"Tabulka %1, řádek %2 není objekt polí."_s.arg(table.name).arg(i + 1);
            const QJsonObject fields = rows[i].toObject();
            Row row;
            for (auto f = fields.begin(); f != fields.end(); ++f) {
                const std::optional<QString> text = typedText(f.value());
                if (!text)
                    return u"Tabulka %1, řádek %2, pole %3: hodnota musí být text, číslo, true/false nebo null."_s
                        .arg(table.name)
                        .arg(i + 1)
                        .arg(f.key());
                row.append({f.key(), *text});
            }
            table.rows.append(row);
        }
        doc.tables.append(table);
    }
    return doc;
}

QList<std::pair<QString, QString>> monthColumns(const QString &table)
{
    const FormLayout layout = layoutOf(table);
    if (table.compare(u"Vdvl"_s, Qt::CaseInsensitive) != 0 &&
        table.compare(u"Vdvs"_s, Qt::CaseInsensitive) != 0)
        return {};
    // The first page's heading row numbers the columns; the boxes of month
    // 1 below them give the stems, the box spanning several columns is the
    // decision's reference.
    const FormPage &page = layout.pages.first();
    QHash<int, QString> numbers;
    for (const FormCell &c : page.cells) {
        if (c.row == 1 && c.kind == FormCell::Kind::Heading)
            numbers.insert(c.column, c.text);
    }
    const data::TableDef *def = data::findTableDef(layout.table);
    QList<std::pair<QString, QString>> columns;
    for (const FormCell &c : page.cells) {
        // A calculated column is the program's to fill.
        if (!c.isBox() || !c.text.endsWith(u'1') || def->calculatedField(c.text))
            continue;
        const QString stem = c.text.chopped(1);
        if (c.row == 2 && numbers.contains(c.column))
            columns.append({u"sl"_s + numbers.value(c.column), stem});
        else if (c.columnSpan > 1)
            columns.append({u"cj"_s, stem});
    }
    return columns;
}

namespace {

QStringList splitCells(const QString &line, QChar separator)
{
    QStringList cells;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            cells.append(cell.trimmed());
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells.append(cell.trimmed());
    return cells;
}

} // namespace

std::variant<QList<MonthRow>, QString> readMonthlyCsv(const QString &table, const QByteArray &bytes)
{
    const QList<std::pair<QString, QString>> known = monthColumns(table);
    if (known.isEmpty())
        return u"Měsíční údaje ze souboru CSV lze načíst jen do tabulek Vdvl a Vdvs."_s;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return u"Soubor CSV není v kódování UTF-8."_s;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(u"\r\n"_s, u"\n"_s);
    const QStringList lines = text.split(u'\n');
    const QString header = lines.value(0);
    const QChar separator = header.contains(u';') ? u';' : u',';
    const QStringList names = splitCells(header, separator);
    if (names.value(0).compare(u"mesic"_s, Qt::CaseInsensitive) != 0)
        return u"První sloupec souboru CSV musí být \"mesic\"."_s;
    QList<int> columnOf; // index into known for each column after "mesic"
    for (qsizetype i = 1; i < names.size(); ++i) {
        const auto found = std::find_if(known.cbegin(), known.cend(), [&](const auto &k) {
            return k.first.compare(names[i], Qt::CaseInsensitive) == 0;
        });
        if (found == known.cend()) {
            QStringList allowed;
            for (const auto &k : known)
                allowed.append(k.first);
            return u"Sloupec \"%1\" tabulka %2 nemá; může mít %3."_s.arg(names[i], table,
                                                                         allowed.join(u", "_s));
        }
        const int index = int(found - known.cbegin());
        if (columnOf.contains(index))
            return u"Sloupec \"%1\" je v souboru CSV dvakrát."_s.arg(names[i]);
        columnOf.append(index);
    }
    QList<MonthRow> rows;
    QList<int> seen;
    for (qsizetype l = 1; l < lines.size(); ++l) {
        if (lines[l].trimmed().isEmpty())
            continue;
        const QStringList cells = splitCells(lines[l], separator);
        const int line = int(l) + 1;
        if (cells.size() != names.size())
            return u"Řádek %1 souboru CSV má %2 sloupců, záhlaví %3."_s.arg(line)
                .arg(cells.size())
                .arg(names.size());
        bool ok = false;
        const int month = cells[0].toInt(&ok);
        if (!ok || month < 1 || month > 12)
            return u"Řádek %1 souboru CSV: měsíc \"%2\" není číslo 1 až 12."_s.arg(line).arg(cells[0]);
        if (seen.contains(month))
            return u"Řádek %1 souboru CSV: měsíc %2 je v souboru podruhé."_s.arg(line).arg(month);
        seen.append(month);
        MonthRow row;
        row.line = line;
        row.month = month;
        for (qsizetype c = 1; c < cells.size(); ++c) {
            if (cells[c].isEmpty())
                continue;
            const auto &[name, stem] = known[columnOf[c - 1]];
            row.fields.append({name, stem + QString::number(month)});
            row.texts.append(cells[c]);
        }
        rows.append(row);
    }
    return rows;
}

} // namespace statements::exchange
