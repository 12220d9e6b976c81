#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>
#include <variant>

// The readers of what another payroll program hands over: a whole
// settlement as JSON (see docs/json-format.md) and a statement's monthly
// figures as CSV. They only read and check the shape; the values go through
// the windows' rules when they are imported.
namespace statements::exchange {

// The JSON format's name and version; a file of a later version is refused.
inline constexpr char FormatName[] = "qesto-vyuctovani";
inline constexpr int FormatVersion = 1;

// One row: each field with its value as it would be typed into the field's
// box (numbers with "." for decimals, check boxes "1"/"0", dates dd.mm.yyyy),
// in the file's order.
using Row = QList<std::pair<QString, QString>>;

struct Table
{
    QString name;
    QList<Row> rows;
};

struct Document
{
    int formatVersion = 0;
    QString program; // the program that wrote the file, for messages only
    QList<Table> tables;
};

// The document, or the Czech reason why it cannot be read.
std::variant<Document, QString> readJson(const QByteArray &bytes);

// A number as a box takes it: whole numbers without a decimal point.
QString numberText(double value);

// Monthly figures: for each month given, the boxes of that month.
struct MonthRow
{
    int line = 0;  // in the file, from 1
    int month = 0; // 1..12
    // Column name in the file and the field it fills ("sl1", "Sl21").
    QList<std::pair<QString, QString>> fields;
    QList<QString> texts; // the cell of each field, same order
};

// The columns a monthly CSV of `table` ("Vdvl", "Vdvs") may have: "sl" and
// the form's column number for each monthly box, "cj" for the decision's
// reference number, each with the stem of its monthly fields.
QList<std::pair<QString, QString>> monthColumns(const QString &table);

// "mesic;sl1;sl2;..." and one line a month; ";" or "," between cells,
// double quotes around a cell that holds them. An empty cell leaves the box
// as it is. Gives the rows or the Czech reason.
std::variant<QList<MonthRow>, QString> readMonthlyCsv(const QString &table, const QByteArray &bytes);

} // namespace statements::exchange
