#include "data/DatasetDefs.h"

#include "data/DateRules.h"
#include "data/FieldText.h"
#include "data/Rounding.h"

using namespace Qt::StringLiterals;

namespace data {

namespace {

Field *declareStored(Dataset &dataset, const FieldInfo &info)
{
    Field *field = dataset.addField(info.storage());
    field->setRequired(info.required);
    if (auto *f = dynamic_cast<FloatField *>(field)) {
        f->setDisplayFormat(info.displayFormat);
        if (info.hasRange)
            f->setRange(info.minValue, info.maxValue);
    } else if (auto *f = dynamic_cast<IntegerField *>(field)) {
        if (info.hasRange)
            f->setRange(int(info.minValue), int(info.maxValue));
    } else if (auto *f = dynamic_cast<BooleanField *>(field)) {
        if (info.crossDisplay)
            f->setDisplayValues(u"X;"_s);
    } else if (auto *f = dynamic_cast<DateField *>(field)) {
        if (info.dateShorthand)
            attachDateShorthand({f});
    }
    return field;
}

Field *declareCalculated(Dataset &dataset, const CalcFieldInfo &info)
{
    switch (info.kind) {
    case FieldKind::Text:
        return dataset.addStringField(info.name, info.length, FieldRole::Calculated);
    case FieldKind::Int32:
        return dataset.addIntegerField(info.name, paradox::FieldType::Long, FieldRole::Calculated);
    default: {
        FloatField *f = dataset.addFloatField(info.name, FieldRole::Calculated);
        f->setDisplayFormat(info.displayFormat);
        return f;
    }
    }
}

} // namespace

DatasetBinding::DatasetBinding(Dataset &dataset, const TableDef &def) : m_dataset(&dataset), m_def(&def)
{
    for (const FieldInfo &info : def.fields()) {
        Field *field = declareStored(dataset, info);
        m_stored.append(field);
        if (info.postRule != PostRule::None)
            m_postRules.append({field, info.postRule});
    }
    for (const CalcFieldInfo &info : def.calculatedFields())
        m_calculated.append(declareCalculated(dataset, info));
    dataset.setOneRecord(def.singleRecord());
    if (!m_calculated.isEmpty())
        dataset.onCalcFields = [this](Dataset &) { calculate(); };
    if (!m_postRules.isEmpty())
        dataset.beforePost = [this](Dataset &) { applyPostRules(); };
}

void DatasetBinding::applyPostRules() const
{
    CalcSuspender off(*m_dataset);
    for (const auto &[field, rule] : m_postRules) {
        switch (rule) {
        case PostRule::Round:
        case PostRule::RoundKeepEmpty:
            if (auto *f = dynamic_cast<FloatField *>(field))
                roundAmounts({f}, rule == PostRule::Round ? EmptyAmount::Zero : EmptyAmount::Keep);
            break;
        case PostRule::ZeroIfEmpty:
            if (auto *f = dynamic_cast<IntegerField *>(field))
                setIntegerDefaults({f});
            break;
        case PostRule::None:
            break;
        }
    }
}

void DatasetBinding::calculate() const
{
    const QList<CalcFieldInfo> &infos = m_def->calculatedFields();
    const auto operand = [this](const CalcOperand &o) -> Field * {
        return o.calculated ? m_calculated.at(o.index) : m_stored.at(o.index);
    };
    const auto number = [&operand](const CalcOperand &o) { return operand(o)->asFloat(); };
    for (qsizetype i = 0; i < infos.size(); ++i) {
        const CalcFieldInfo &info = infos.at(i);
        Field *target = m_calculated.at(i);
        switch (info.op) {
        case CalcOp::OrdinalText:
            target->setAsString(QString::number(operand(info.operands.at(0))->asInteger()) + u'.');
            break;
        case CalcOp::FillerOrNumberText: {
            const Field *second = operand(info.operands.at(1));
            target->setAsString(operand(info.operands.at(0))->isNull() ? u"-----"_s : second->asString());
            break;
        }
        default:
            target->setAsFloat(evaluate(info, number));
            break;
        }
    }
}

} // namespace data
