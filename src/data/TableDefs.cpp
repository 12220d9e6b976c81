#include "data/TableDefs.h"

#include "platform/FileOps.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace data {

paradox::FieldDef FieldInfo::storage() const
{
    using paradox::FieldType;
    switch (kind) {
    case FieldKind::Amount:
        return paradox::field(name, FieldType::Number);
    case FieldKind::Text:
        return paradox::alpha(name, length);
    case FieldKind::Date:
        return paradox::field(name, FieldType::Date);
    case FieldKind::Logical:
        return paradox::field(name, FieldType::Logical);
    case FieldKind::Int16:
        return paradox::field(name, FieldType::Short);
    case FieldKind::Int32:
        return paradox::field(name, FieldType::Long);
    case FieldKind::AutoInc:
        return paradox::field(name, FieldType::Autoinc);
    }
    return paradox::alpha(name, length);
}

QString CalcFieldInfo::formula() const
{
    auto names = [this](const QString &separator) -> QString {
        QStringList list;
        for (const CalcOperand &operand : operands)
            list.append(operand.name);
        if (list.size() > 3)
            return list.first() + separator + u"..."_s + separator + list.last();
        return list.join(separator);
    };
    switch (op) {
    case CalcOp::Zero:
        return u"0"_s;
    case CalcOp::Sum:
        return names(u" + "_s);
    case CalcOp::Difference:
        return names(u" - "_s);
    case CalcOp::NonNegativeDifference:
        return u"max(0, "_s + names(u" - "_s) + u')';
    case CalcOp::OrdinalText:
        return names(QString()) + u" + \".\""_s;
    case CalcOp::FillerOrNumberText:
        return u"\"-----\" if "_s + operands.value(0).name + u" is empty, else "_s + operands.value(1).name;
    }
    return QString();
}

QString TableDef::fileName() const
{
    return m_name + u".DB"_s;
}

QString TableDef::indexFileName() const
{
    return m_schema.keyFields > 0 ? m_name + u".PX"_s : QString();
}

const FieldInfo *TableDef::field(QStringView name) const
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : &m_fields.at(i);
}

int TableDef::indexOf(QStringView name) const
{
    const int i = m_byName.value(name.toString().toLower(), -1);
    return i >= 0 ? i : -1;
}

const CalcFieldInfo *TableDef::calculatedField(QStringView name) const
{
    const int i = calculatedIndexOf(name);
    return i < 0 ? nullptr : &m_calculated.at(i);
}

int TableDef::calculatedIndexOf(QStringView name) const
{
    const int i = m_byName.value(name.toString().toLower(), 0);
    return i < 0 ? -1 - i : -1;
}

// Collects the declarations of one table and resolves the operands of its
// calculated fields, so that a misspelt operand fails at once instead of
// silently counting as 0.
class TableDefBuilder
{
public:
    TableDefBuilder(TableId id, const QString &name, bool singleRecord)
    {
        m_def.m_id = id;
        m_def.m_name = name;
        m_def.m_singleRecord = singleRecord;
    }

    void add(FieldInfo info)
    {
        Q_ASSERT_X(!m_def.m_byName.contains(info.name.toLower()), "TableDefBuilder", qPrintable(info.name));
        m_def.m_byName.insert(info.name.toLower(), int(m_def.m_fields.size()));
        m_def.m_fields.append(std::move(info));
    }

    void addCalc(const QString &name, CalcOp op, const QStringList &operands,
                 FieldKind kind = FieldKind::Amount)
    {
        CalcFieldInfo calc;
        calc.name = name;
        calc.kind = kind;
        calc.op = op;
        if (kind == FieldKind::Amount)
            calc.displayFormat = u"0"_s;
        for (const QString &operand : operands)
            calc.operands.append(resolve(m_def, operand));
        Q_ASSERT_X(!m_def.m_byName.contains(name.toLower()), "TableDefBuilder", qPrintable(name));
        m_def.m_byName.insert(name.toLower(), -1 - int(m_def.m_calculated.size()));
        m_def.m_calculated.append(std::move(calc));
    }

    TableDef finish(int keyFields)
    {
        m_def.m_schema.keyFields = keyFields;
        for (const FieldInfo &info : std::as_const(m_def.m_fields))
            m_def.m_schema.fields.append(info.storage());
        return std::move(m_def);
    }

    static CalcOperand resolve(const TableDef &def, const QString &name)
    {
        CalcOperand operand{name, false, def.indexOf(name)};
        if (operand.index < 0) {
            operand.calculated = true;
            operand.index = def.calculatedIndexOf(name);
        }
        Q_ASSERT_X(operand.index >= 0, "TableDefBuilder", qPrintable(name));
        return operand;
    }

private:
    TableDef m_def;
};

namespace {

QString monthly(const QString &stem, int month)
{
    return stem + QString::number(month);
}

QStringList months(const QString &stem)
{
    QStringList list;
    for (int m = 1; m <= 12; ++m)
        list.append(monthly(stem, m));
    return list;
}

FieldInfo amount(const QString &name, PostRule rule = PostRule::None, double limit = AmountLimit)
{
    FieldInfo info;
    info.name = name;
    info.kind = FieldKind::Amount;
    info.hasRange = true;
    info.minValue = -limit;
    info.maxValue = limit;
    info.displayFormat = u"0"_s;
    info.postRule = rule;
    return info;
}

FieldInfo text(const QString &name, int length = 20)
{
    FieldInfo info;
    info.name = name;
    info.kind = FieldKind::Text;
    info.length = length;
    return info;
}

FieldInfo date(const QString &name, bool shorthand = false)
{
    FieldInfo info;
    info.name = name;
    info.kind = FieldKind::Date;
    info.dateShorthand = shorthand;
    return info;
}

FieldInfo logical(const QString &name, bool cross = false)
{
    FieldInfo info;
    info.name = name;
    info.kind = FieldKind::Logical;
    info.crossDisplay = cross;
    return info;
}

FieldInfo integer(const QString &name, FieldKind kind, PostRule rule = PostRule::None)
{
    FieldInfo info;
    info.name = name;
    info.kind = kind;
    info.postRule = rule;
    return info;
}

FieldInfo ranged(FieldInfo info, double min, double max)
{
    info.hasRange = true;
    info.minValue = min;
    info.maxValue = max;
    return info;
}

FieldInfo required(FieldInfo info)
{
    info.required = true;
    return info;
}

FieldInfo int16(const QString &name, int min, int max, PostRule rule = PostRule::None)
{
    return ranged(integer(name, FieldKind::Int16, rule), min, max);
}

TableDef buildDmt()
{
    TableDefBuilder b(TableId::Dmt, u"Dmt"_s, true);
    for (const char16_t *name : {u"Dpt", u"Dpl", u"Ot", u"Ol", u"Zpt", u"Zpl"})
        b.add(int16(QString::fromUtf16(name), 0, 999, PostRule::ZeroIfEmpty));
    b.add(int16(u"Kop"_s, 1, 999, PostRule::ZeroIfEmpty));
    b.add(logical(u"Pk"_s));
    b.add(logical(u"Prh1"_s));
    b.add(text(u"Trh1"_s, 40));
    b.add(text(u"Tpr2"_s, 40));
    return b.finish(0);
}

TableDef buildPrp()
{
    TableDefBuilder b(TableId::Prp, u"Prp"_s, true);
    const auto t = [&b](const QString &name, int length) { b.add(text(name, length)); };
    const auto d = [&b](const QString &name) { b.add(date(name, true)); };

    // Fields the company editor, the forms and the transfer use.
    t(u"Rok"_s, 4);
    b.add(logical(u"Zdo"_s));
    d(u"Dz"_s);
    d(u"Dk"_s);
    b.add(logical(u"Dpdr1"_s, true));
    b.add(logical(u"Dpdo1"_s, true));
    b.add(logical(u"Dpdd1"_s, true));
    d(u"Dopd"_s);
    t(u"Dic"_s, 15);
    t(u"Kod"_s, 2);
    d(u"Dvo"_s);
    t(u"Fusp"_s, 45);
    t(u"Fu"_s, 25);
    t(u"Prk"_s, 16);
    t(u"Jmd"_s, 14);
    t(u"Tiv"_s, 4);
    t(u"Ojv"_s, 35);
    t(u"Ojva"_s, 35);
    t(u"Npd"_s, 35);
    t(u"Mi"_s, 35);
    for (const QString &name : months(u"Z"_s))
        b.add(ranged(integer(name, FieldKind::Int32), -999999, 999999));
    t(u"Kzs"_s, 2);
    t(u"Zjm"_s, 34);
    t(u"Zde"_s, 34);
    t(u"Zjv"_s, 34);
    t(u"Ses"_s, 18);
    t(u"Tel"_s, 11);
    t(u"Emlv"_s, 33);
    d(u"Dv"_s);
    b.add(int16(u"Op"_s, -999, 999));
    b.add(logical(u"Pfo"_s));
    b.add(logical(u"Dpdr2"_s, true));
    b.add(logical(u"Dpdo2"_s, true));
    b.add(logical(u"Dpdd2"_s, true));
    d(u"Dops"_s);
    t(u"Prks"_s, 16);
    t(u"Jmds"_s, 14);
    t(u"Ti"_s, 4);
    t(u"Ojs"_s, 35);
    t(u"Ojsb"_s, 35);
    t(u"Adrb"_s, 35);
    d(u"Lhp"_s);
    t(u"Vses"_s, 35);
    t(u"Telx"_s, 9);
    t(u"Emlx"_s, 35);
    d(u"Dvs"_s);
    b.add(int16(u"Ops"_s, -999, 999));
    t(u"Kzsa"_s, 2);
    t(u"Zjms"_s, 34);
    t(u"Zdes"_s, 34);
    t(u"Zjvs"_s, 34);
    b.add(integer(u"Pn"_s, FieldKind::Int32));

    // Fields of earlier form versions: kept so older settlements open and as
    // the sources of the one-time copies of the upgrade.
    t(u"Pr"_s, 23);
    t(u"Jm"_s, 11);
    t(u"Oj1"_s, 23);
    t(u"Oj2"_s, 11);
    t(u"Jmp"_s, 13);
    t(u"Prp"_s, 21);
    t(u"Rc"_s, 11);
    t(u"Pvp"_s, 35);
    b.add(amount(u"Uh"_s));
    for (int k = 1; k <= 4; ++k) {
        b.add(int16(monthly(u"C"_s, k), -99, 99));
        t(monthly(u"Pu"_s, k), 18);
        t(monthly(u"Cu"_s, k), 18);
        t(monthly(u"Kb"_s, k), 4);
    }
    t(u"Ve"_s, 25);
    t(u"Opr"_s, 80);
    t(u"Rc1"_s, 11);
    t(u"Obe"_s, 30);
    t(u"Psc"_s, 6);
    t(u"Tel1"_s, 16);
    t(u"Ul1"_s, 45);
    t(u"Ul2"_s, 45);
    t(u"Fax1"_s, 16);
    t(u"Okr"_s, 37);
    t(u"Zem"_s, 32);
    t(u"Se1"_s, 35);
    t(u"Ve1"_s, 35);
    t(u"Tel2"_s, 16);
    t(u"Tel3"_s, 16);
    t(u"Jm2"_s, 28);
    t(u"Pr2"_s, 28);
    t(u"Ti2"_s, 12);
    t(u"Pvp2"_s, 55);
    t(u"Ve2"_s, 30);
    d(u"Dv2"_s);
    b.add(logical(u"Pdp"_s));
    b.add(logical(u"Oprz"_s));
    b.add(logical(u"Rc1z"_s));
    b.add(logical(u"Obez"_s));
    t(u"Prs"_s, 23);
    t(u"Jms"_s, 11);
    t(u"Dods"_s, 35);
    t(u"Djs"_s, 35);
    t(u"Adrs"_s, 35);
    t(u"Tels"_s, 9);
    t(u"Mobs"_s, 9);
    t(u"Faxs"_s, 9);
    t(u"Emls"_s, 35);
    d(u"Duc"_s);
    for (int k = 1; k <= 3; ++k) {
        b.add(int16(monthly(u"Cs"_s, k), -99, 99));
        t(monthly(u"Pus"_s, k), 18);
        t(monthly(u"Cus"_s, k), 18);
        t(monthly(u"Kbs"_s, k), 4);
    }
    t(u"Mobx"_s, 9);
    t(u"Jmx"_s, 13);
    t(u"Prx"_s, 21);
    t(u"Pstx"_s, 35);
    t(u"Evc"_s, 6);
    t(u"Dps"_s, 31);
    t(u"Prsx"_s, 19);
    t(u"Ojsa"_s, 23);
    t(u"Dojs"_s, 11);
    t(u"Ob"_s, 16);
    t(u"Pscb"_s, 5);
    t(u"Telb"_s, 12);
    t(u"Uls"_s, 25);
    t(u"Okrb"_s, 22);
    t(u"St"_s, 12);
    t(u"Bsp"_s, 30);
    b.add(logical(u"Fop"_s));
    b.add(logical(u"Bds"_s));
    t(u"Privx"_s, 19);
    t(u"Jmpx"_s, 11);
    t(u"Prpx"_s, 19);
    t(u"Tipx"_s, 4);
    t(u"Titul"_s, 4);
    t(u"Evco"_s, 6);
    t(u"Dpso"_s, 31);
    t(u"Jmz"_s, 11);
    t(u"Prz"_s, 19);
    t(u"Pr13"_s, 1);
    return b.finish(0);
}

TableDef buildVdvl()
{
    TableDefBuilder b(TableId::Vdvl, u"Vdvl"_s, true);
    const auto a = [&b](const QString &name) { b.add(amount(name, PostRule::Round)); };

    a(u"C106"_s);
    // The legacy dates and texts carry the month between "D" and the final digit.
    for (int m = 1; m <= 12; ++m)
        b.add(date(u"D"_s + QString::number(m) + u'1', true));
    for (int m = 1; m <= 12; ++m)
        b.add(text(u"D"_s + QString::number(m) + u'9', 20));
    for (int m = 1; m <= 12; ++m) {
        for (const char16_t *stem : {u"Sl2", u"Sl3", u"Sl4", u"Sl5", u"Sl6", u"Sl7", u"Sl9"})
            a(monthly(QString::fromUtf16(stem), m));
    }
    for (int row = 401; row <= 410; ++row)
        a(u"C"_s + QString::number(row));
    for (const QString &name : months(u"Sla5"_s))
        a(name);
    for (const QString &name : months(u"Slb5"_s))
        a(name);
    a(u"C403a"_s);
    a(u"C404a"_s);
    for (int k = 1; k <= 4; ++k)
        b.add(text(monthly(u"Mv"_s, k), 20));
    for (int k = 1; k <= 4; ++k)
        b.add(amount(monthly(u"Vc"_s, k), PostRule::RoundKeepEmpty));
    for (int k = 1; k <= 4; ++k)
        b.add(amount(monthly(u"Ztv"_s, k), PostRule::RoundKeepEmpty));
    a(u"C106a"_s);
    for (int k = 1; k <= 4; ++k)
        b.add(text(monthly(u"Pzp"_s, k), 20));
    for (const QString &name : months(u"Slc3"_s))
        b.add(text(name, 30));
    for (const QString &name : months(u"Slo3"_s))
        a(name);

    for (int m = 1; m <= 12; ++m)
        b.addCalc(monthly(u"Sl8"_s, m), CalcOp::Sum, {monthly(u"Sl5"_s, m), monthly(u"Slb5"_s, m)});
    for (const char16_t *stem :
         {u"Sl2", u"Sl3", u"Sl4", u"Sl5", u"Sl6", u"Sl7", u"Sl8", u"Sl9", u"Sla5", u"Slb5", u"Slo3"}) {
        const QString s = QString::fromUtf16(stem);
        const bool unused = s == u"Sl4" || s == u"Sl6";
        b.addCalc(monthly(s, 13), unused ? CalcOp::Zero : CalcOp::Sum, unused ? QStringList() : months(s));
    }
    return b.finish(0);
}

TableDef buildVpkv()
{
    TableDefBuilder b(TableId::Vpkv, u"Vpkv"_s, true);
    const auto line = [&b](const QString &r, const QString &suffix) {
        for (int c = 1; c <= 4; ++c)
            b.add(text(u"N"_s + r + QString::number(c) + suffix, 20));
        b.add(amount(u"C"_s + r + u'5' + suffix, PostRule::RoundKeepEmpty));
    };
    for (int r = 1; r <= 21; ++r)
        line(QString::number(r), QString());
    for (int r = 1; r <= 14; ++r)
        b.add(text(monthly(u"Z"_s, r), 1));
    for (int r = 15; r <= 17; ++r) {
        b.add(text(u"Z"_s + QString::number(r) + u'a', 1));
        line(QString::number(r), u"a"_s);
    }
    return b.finish(0);
}

TableDef buildVpz()
{
    TableDefBuilder b(TableId::Vpz, u"Vpz"_s, false);
    // Not required: the engine numbers the key when the row is written, so
    // asking for it before the post would refuse every new place of work.
    b.add(integer(u"ID"_s, FieldKind::AutoInc));
    b.add(text(u"N3"_s, 22));
    b.add(amount(u"C4"_s, PostRule::None, 999999));
    b.add(text(u"N5"_s, 22));
    b.add(text(u"N6"_s, 10));
    b.add(text(u"N7"_s, 22));
    b.add(logical(u"Pmr"_s));
    b.add(integer(u"Poradi"_s, FieldKind::Int32));
    b.add(integer(u"Cislo"_s, FieldKind::Int32));
    return b.finish(1);
}

TableDef buildVvdp()
{
    TableDefBuilder b(TableId::Vvdp, u"Vvdp"_s, true);
    for (const QString &name : months(u"C"_s))
        b.add(amount(name, PostRule::Round));
    b.addCalc(u"C13"_s, CalcOp::Zero, {});
    return b.finish(0);
}

TableDef buildVdvs()
{
    TableDefBuilder b(TableId::Vdvs, u"Vdvs"_s, true);
    const auto a = [&b](const QString &name) { b.add(amount(name, PostRule::Round)); };
    for (int m = 1; m <= 12; ++m) {
        for (const char16_t *stem : {u"Sl1", u"Sl2", u"Sl3", u"Sl4", u"Sl5", u"Sl6", u"Sl7", u"Sl8", u"Sl10"})
            a(monthly(QString::fromUtf16(stem), m));
    }
    for (const QString &name : months(u"Slc7"_s))
        b.add(text(name, 30));
    for (const QString &name : months(u"Slo7"_s))
        a(name);
    for (const QString &name : months(u"Sld9"_s))
        a(name);

    for (const QString &name : months(u"Sl9"_s))
        b.addCalc(name, CalcOp::Zero, {});
    for (int column = 1; column <= 10; ++column) {
        const QString stem = u"Sl"_s + QString::number(column);
        const bool unused = column == 4 || column == 5 || column == 6 || column == 9;
        b.addCalc(monthly(stem, 13), unused ? CalcOp::Zero : CalcOp::Sum,
                  unused ? QStringList() : months(stem));
    }
    b.addCalc(u"C401"_s, CalcOp::Zero, {});
    b.addCalc(u"C402"_s, CalcOp::Sum, {u"Sl1013"_s});
    // C401a (= Sl113) is declared after C403, so the difference reads Sl113 directly.
    b.addCalc(u"C403"_s, CalcOp::Difference, {u"C402"_s, u"Sl113"_s});
    b.addCalc(u"Slo713"_s, CalcOp::Sum, months(u"Slo7"_s));
    b.addCalc(u"Sld913"_s, CalcOp::Sum, months(u"Sld9"_s));
    b.addCalc(u"C401a"_s, CalcOp::Sum, {u"Sl113"_s});
    b.addCalc(u"C401c"_s, CalcOp::Zero, {});
    return b.finish(0);
}

TableDef buildMzd11()
{
    TableDefBuilder b(TableId::Mzd11, u"Mzd11"_s, false);
    b.add(required(integer(u"O"_s, FieldKind::Int16, PostRule::ZeroIfEmpty)));
    b.add(integer(u"Dan"_s, FieldKind::Int32, PostRule::ZeroIfEmpty));
    b.add(integer(u"Danz"_s, FieldKind::Int32, PostRule::ZeroIfEmpty));
    b.add(logical(u"Prdb"_s));
    b.add(date(u"Dv"_s));
    for (const char16_t *name : {u"Znd", u"Snd", u"Bon", u"Dps"})
        b.add(amount(QString::fromUtf16(name), PostRule::Round));
    b.addCalc(u"Daz"_s, CalcOp::Difference, {u"Dan"_s, u"Danz"_s}, FieldKind::Int32);
    b.addCalc(u"Dpsbo"_s, CalcOp::NonNegativeDifference, {u"Dps"_s, u"Bon"_s});
    return b.finish(1);
}

TableDef buildVpkb()
{
    TableDefBuilder b(TableId::Vpkb, u"Vpkb"_s, true);
    for (int r = 1; r <= 16; ++r) {
        const QString line = QString::number(r);
        for (int c = 1; c <= 5; ++c)
            b.add(text(u"N"_s + line + QString::number(c), 20));
        b.add(amount(u"C"_s + line + u'6', PostRule::RoundKeepEmpty));
    }
    for (int r = 1; r <= 16; ++r)
        b.add(text(monthly(u"M"_s, r), 1));
    return b.finish(0);
}

TableDef buildData()
{
    TableDefBuilder b(TableId::Data, u"Data"_s, false);
    b.add(required(integer(u"Cislo"_s, FieldKind::Int32)));
    b.add(integer(u"Pozice"_s, FieldKind::Int32));
    b.add(text(u"Nazev"_s, 20));
    b.add(text(u"Adresar"_s, 20));
    return b.finish(1);
}

TableDef buildUziv()
{
    TableDefBuilder b(TableId::Uziv, u"Uziv"_s, false);
    b.add(required(integer(u"Cislo"_s, FieldKind::Int32)));
    b.add(text(u"Heslo"_s, 10));
    return b.finish(1);
}

const std::array<TableDef, TableCount> &allTables()
{
    static const std::array<TableDef, TableCount> tables = {
        buildDmt(),  buildPrp(),   buildVdvl(), buildVpkv(), buildVpz(),  buildVvdp(),
        buildVdvs(), buildMzd11(), buildVpkb(), buildData(), buildUziv(),
    };
    return tables;
}

} // namespace

const TableDef &tableDef(TableId id)
{
    return allTables()[std::size_t(id)];
}

const TableDef *findTableDef(QStringView name)
{
    if (name.endsWith(u".DB", Qt::CaseInsensitive))
        name.chop(3);
    for (const TableDef &def : allTables()) {
        if (name.compare(def.name(), Qt::CaseInsensitive) == 0)
            return &def;
    }
    return nullptr;
}

const QList<CalcFieldInfo> &vpzQrCalculatedFields()
{
    static const QList<CalcFieldInfo> fields = [] {
        const TableDef &vpz = tableDef(TableId::Vpz);
        CalcFieldInfo cit;
        cit.name = u"Cit"_s;
        cit.kind = FieldKind::Text;
        cit.length = 5;
        cit.op = CalcOp::OrdinalText;
        cit.operands = {TableDefBuilder::resolve(vpz, u"Poradi"_s)};
        CalcFieldInfo c4a;
        c4a.name = u"C4a"_s;
        c4a.kind = FieldKind::Text;
        c4a.length = 10;
        c4a.op = CalcOp::FillerOrNumberText;
        c4a.operands = {TableDefBuilder::resolve(vpz, u"Pmr"_s), TableDefBuilder::resolve(vpz, u"C4"_s)};
        return QList<CalcFieldInfo>{cit, c4a};
    }();
    return fields;
}

const QStringList &settlementFileNames()
{
    static const QStringList names = {
        u"Dmt.DB"_s,  u"Prp.DB"_s,  u"Vdvl.DB"_s,  u"Vpkv.DB"_s,  u"Vpz.DB"_s,  u"Vpz.PX"_s,
        u"Vvdp.DB"_s, u"Vdvs.DB"_s, u"Mzd11.DB"_s, u"Mzd11.PX"_s, u"Vpkb.DB"_s,
    };
    return names;
}

const QStringList &listFileNames(ListGroup group)
{
    static const QStringList list = {u"Data.DB"_s,  u"Data.PX"_s,  u"Data.X02"_s,
                                     u"Data.X03"_s, u"Data.Y02"_s, u"Data.Y03"_s};
    static const QStringList passwords = {u"Uziv.DB"_s, u"Uziv.PX"_s};
    return group == ListGroup::List ? list : passwords;
}

const paradox::Schema &oldListSchema()
{
    static const paradox::Schema schema = [] {
        const TableDef &data = tableDef(TableId::Data);
        paradox::Schema s;
        s.keyFields = 1;
        for (const char16_t *name : {u"Cislo", u"Nazev", u"Adresar"})
            s.fields.append(data.field(name)->storage());
        return s;
    }();
    return schema;
}

const QList<ListIndex> &listIndexes()
{
    static const QList<ListIndex> indexes = {
        {u"Pozice"_s, QString(), u"Data.X02"_s, u"Data.Y02"_s},
        {u"Nazev"_s, u"Nazev"_s, u"Data.X03"_s, u"Data.Y03"_s},
    };
    return indexes;
}

QString tableFilePath(const QString &dir, const QString &fileName)
{
    return platform::FileOps::resolve(platform::FileOps::withTrailingSeparator(dir) + fileName);
}

} // namespace data
