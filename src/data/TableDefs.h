#pragma once

#include "paradox/Schema.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cstdint>

// Every table, field and file name of a settlement and of the settlement list,
// in one place. The engine, the field layer, the upgrade, the templates and the
// tests all read their structure from here, so the order of the declarations
// below is the order of the fields in the files we write.
namespace data {

enum class TableId : std::uint8_t
{
    Dmt,   // print settings
    Prp,   // company data and statement headings
    Vdvl,  // employment income tax statement
    Vpkv,  // annex of corrections
    Vpz,   // places of work for the employee count
    Vvdp,  // withholding-tax months of earlier versions
    Vdvs,  // withholding tax statement
    Mzd11, // monthly sums from the payroll program
    Vpkb,  // annex of bonus corrections
    Data,  // settlement list (data root)
    Uziv,  // settlement passwords (data root)
};

inline constexpr int TableCount = 11;

// The nine settlement tables in the order in which a settlement is opened.
inline constexpr std::array<TableId, 9> SettlementTables = {
    TableId::Prp,  TableId::Dmt,  TableId::Vdvl, TableId::Vpkv,  TableId::Vpz,
    TableId::Vvdp, TableId::Vdvs, TableId::Vpkb, TableId::Mzd11,
};

enum class FieldKind : std::uint8_t
{
    Amount, // Paradox Number holding whole crowns (or a plain float with format "0")
    Text,   // Paradox Alpha of length() characters
    Date,
    Logical,
    Int16,
    Int32,
    AutoInc,
};

// What happens to a stored field just before its record is written.
enum class PostRule : std::uint8_t
{
    None,
    Round,          // rounded to whole crowns, halves away from zero; empty becomes 0
    RoundKeepEmpty, // rounded when it has a value; empty stays empty
    ZeroIfEmpty,    // an integer set again from its own value, so empty becomes 0
};

struct FieldInfo
{
    QString name;
    FieldKind kind = FieldKind::Amount;
    int length = 0; // characters, texts only
    // Edit range; without one the type's own limits apply.
    bool hasRange = false;
    double minValue = 0;
    double maxValue = 0;
    QString displayFormat;     // "0" for amounts, empty otherwise
    bool crossDisplay = false; // logical shown as "X" for true and blank for false
    bool required = false;
    bool dateShorthand = false; // typed text goes through the date shorthand
    PostRule postRule = PostRule::None;

    paradox::FieldDef storage() const;
};

enum class CalcOp : std::uint8_t
{
    Zero,                  // always 0
    Sum,                   // sum of the operands (one operand: a copy)
    Difference,            // first operand minus second
    NonNegativeDifference, // first minus second when that is 0 or more, else 0
    OrdinalText,           // the integer operand as text followed by "."
    FillerOrNumberText,    // "-----" when the first operand is empty, else the second as text
};

struct CalcOperand
{
    QString name;
    bool calculated = false; // refers to an earlier calculated field, not a stored one
    int index = -1;          // into fields() or calculatedFields()
};

// A field that is not stored but recomputed from the record whenever it is read
// or changed. Operands only ever refer to stored fields or to calculated fields
// declared earlier, so computing the list front to back is always correct.
struct CalcFieldInfo
{
    QString name;
    FieldKind kind = FieldKind::Amount; // Amount, Int32 or Text
    int length = 0;
    QString displayFormat;
    CalcOp op = CalcOp::Zero;
    QList<CalcOperand> operands;

    // A short readable formula, e.g. "Sl51 + Slb51" or "Sl21 + ... + Sl212".
    QString formula() const;
};

// Computes a numeric calculated field. value(const CalcOperand &) returns the
// operand's current value with empty counted as 0.
template <typename ValueOf> double evaluate(const CalcFieldInfo &field, ValueOf &&value)
{
    switch (field.op) {
    case CalcOp::Sum: {
        double sum = 0;
        for (const CalcOperand &operand : field.operands)
            sum += value(operand);
        return sum;
    }
    case CalcOp::Difference:
        return value(field.operands.at(0)) - value(field.operands.at(1));
    case CalcOp::NonNegativeDifference:
        return std::max(0.0, value(field.operands.at(0)) - value(field.operands.at(1)));
    default:
        return 0;
    }
}

class TableDef
{
public:
    TableId id() const { return m_id; }
    const QString &name() const { return m_name; }
    // "Vdvl.DB"; the primary index "Vpz.PX" only for keyed tables.
    QString fileName() const;
    QString indexFileName() const;

    const QList<FieldInfo> &fields() const { return m_fields; }
    // Paradox field names are matched without regard to letter case.
    const FieldInfo *field(QStringView name) const;
    int indexOf(QStringView name) const;

    const QList<CalcFieldInfo> &calculatedFields() const { return m_calculated; }
    const CalcFieldInfo *calculatedField(QStringView name) const;
    int calculatedIndexOf(QStringView name) const;

    // The primary key is the first keyFields() fields; 0 for unkeyed tables.
    int keyFields() const { return m_schema.keyFields; }
    const paradox::Schema &schema() const { return m_schema; }
    // Holds exactly one record, created when the table is opened empty.
    bool singleRecord() const { return m_singleRecord; }

private:
    friend class TableDefBuilder;
    TableId m_id = TableId::Dmt;
    QString m_name;
    QList<FieldInfo> m_fields;
    QList<CalcFieldInfo> m_calculated;
    // Lower-case names to positions; calculated fields are stored as -1 - i.
    QHash<QString, int> m_byName;
    paradox::Schema m_schema;
    bool m_singleRecord = false;
};

const TableDef &tableDef(TableId id);
// By table name ("Vdvl") or file name ("Vdvl.DB"), any letter case; nullptr if unknown.
const TableDef *findTableDef(QStringView name);

// The calculated texts of the query over "Vpz.DB" used for printing
// (Cit, C4a); their operands index Vpz's stored fields.
const QList<CalcFieldInfo> &vpzQrCalculatedFields();

// The eleven files of a settlement in their fixed order: copying, deleting,
// backup, restore and the rollover all walk this list.
const QStringList &settlementFileNames();

// The list files of a data root as copied between directories: group 1 is the
// settlement list with its indexes, group 2 the password table.
enum class ListGroup : std::uint8_t
{
    List = 1,
    Passwords = 2
};
const QStringList &listFileNames(ListGroup group);

// The settlement list as written by older versions, before Pozice existed.
const paradox::Schema &oldListSchema();

// The secondary indexes of the settlement list: the field they are on and the
// name they are created under ("Nazev" is a named index, Pozice a single-field one).
struct ListIndex
{
    QString field;
    QString indexName;
    QString xFile;
    QString yFile;
};
const QList<ListIndex> &listIndexes();

// The path of fileName in dir. dir may use "\" as stored paths do; on file
// systems that tell letter case apart, an existing file whose name differs
// only in case (files copied from Windows are often upper case) is found too.
QString tableFilePath(const QString &dir, const QString &fileName);

// Amounts default to this edit range unless stated otherwise.
inline constexpr double AmountLimit = 9999999999.0;

} // namespace data
