#include "data/Field.h"

#include "data/DataError.h"
#include "data/Dataset.h"
#include "data/FieldText.h"
#include "data/Rounding.h"

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace data {

namespace {

[[noreturn]] void invalidValue(const QString &message)
{
    throw DatabaseError(DatabaseError::Kind::InvalidValue, message);
}

} // namespace

// ---------------------------------------------------------------- Field

Field::Field(Dataset *dataset, const QString &name, paradox::FieldType type, int size, FieldRole role)
    : m_dataset(dataset), m_name(name), m_type(type), m_size(size), m_role(role)
{}

Field::~Field() = default;

void Field::clear()
{
    setData(QVariant());
}

void Field::setValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        clear();
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        setAsFloat(value.toDouble());
        break;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::LongLong:
        setAsInteger(value.toInt());
        break;
    case QMetaType::Bool:
        setAsBoolean(value.toBool());
        break;
    case QMetaType::QDate:
        setAsDate(value.toDate());
        break;
    case QMetaType::QDateTime:
        setAsDate(value.toDateTime().date());
        break;
    default:
        setAsString(value.toString());
        break;
    }
}

void Field::conversionError(const char *target) const
{
    throw DatabaseError(DatabaseError::Kind::InvalidValue, u"Pole '%1' nelze převést na typ %2"_s.arg(
                                                               displayName(), QString::fromLatin1(target)));
}

double Field::asFloat() const
{
    conversionError("Float");
}
void Field::setAsFloat(double)
{
    conversionError("Float");
}
int Field::asInteger() const
{
    conversionError("Integer");
}
void Field::setAsInteger(int)
{
    conversionError("Integer");
}
QString Field::asString() const
{
    return m_value.toString();
}
void Field::setAsString(const QString &)
{
    conversionError("String");
}
bool Field::asBoolean() const
{
    conversionError("Boolean");
}
void Field::setAsBoolean(bool)
{
    conversionError("Boolean");
}
QDate Field::asDate() const
{
    conversionError("Date");
}
void Field::setAsDate(const QDate &)
{
    conversionError("Date");
}

QDateTime Field::asDateTime() const
{
    const QDate d = asDate();
    return d.isValid() ? d.startOfDay() : QDateTime();
}

void Field::setAsDateTime(const QDateTime &value)
{
    if (!value.isValid())
        clear();
    else
        setAsDate(value.date());
}

QString Field::displayText() const
{
    return onGetText ? onGetText(*this, true) : text(true);
}

QString Field::editText() const
{
    return onGetText ? onGetText(*this, false) : text(false);
}

QString Field::text(bool) const
{
    return isNull() ? QString() : asString();
}

void Field::setText(const QString &text)
{
    if (onSetText)
        onSetText(*this, text);
    else
        assignText(text);
}

void Field::assignText(const QString &text)
{
    setAsString(text);
}

void Field::setData(const QVariant &value)
{
    if (m_dataset)
        m_dataset->checkFieldWrite(this);
    if (onValidate)
        onValidate(*this, value);
    m_value = value;
    if (m_dataset)
        m_dataset->fieldChanged(this);
    if (onChange)
        onChange(*this);
}

// ---------------------------------------------------------------- FloatField

FloatField::FloatField(Dataset *dataset, const QString &name, FieldRole role)
    : Field(dataset, name, paradox::FieldType::Number, 0, role)
{}

void FloatField::setRange(double min, double max)
{
    m_min = min;
    m_max = max;
}

double FloatField::asFloat() const
{
    return isNull() ? 0.0 : value().toDouble();
}

void FloatField::setAsFloat(double v)
{
    if (!std::isfinite(v))
        invalidValue(invalidFloatMessage(formatGeneral(v), displayName()));
    if ((m_min != 0 || m_max != 0) && (v < m_min || v > m_max))
        invalidValue(rangeMessage(v, displayName(), m_min, m_max));
    setData(v);
}

int FloatField::asInteger() const
{
    const double r = roundHalfAway(asFloat());
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
        invalidValue(
            rangeMessage(r, displayName(), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    return int(r);
}

void FloatField::setAsInteger(int v)
{
    setAsFloat(v);
}

QString FloatField::asString() const
{
    return isNull() ? QString() : formatGeneral(asFloat());
}

void FloatField::setAsString(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        clear();
        return;
    }
    const std::optional<double> v = parseFloat(text);
    if (!v)
        invalidValue(invalidFloatMessage(text, displayName()));
    setAsFloat(*v);
}

QString FloatField::text(bool display) const
{
    if (isNull())
        return QString();
    return display ? formatFixed(asFloat(), m_displayFormat) : formatGeneral(asFloat());
}

// ---------------------------------------------------------------- IntegerField

IntegerField::IntegerField(Dataset *dataset, const QString &name, paradox::FieldType type, FieldRole role)
    : Field(dataset, name, type, 0, role)
{
    if (type == paradox::FieldType::Short) {
        m_min = std::numeric_limits<qint16>::min();
        m_max = std::numeric_limits<qint16>::max();
    } else {
        m_min = std::numeric_limits<qint32>::min();
        m_max = std::numeric_limits<qint32>::max();
    }
    if (type == paradox::FieldType::Autoinc)
        setReadOnly(true);
}

void IntegerField::setRange(int min, int max)
{
    m_min = min;
    m_max = max;
}

void IntegerField::checkRange(double v) const
{
    if (v < m_min || v > m_max)
        invalidValue(rangeMessage(v, displayName(), m_min, m_max));
}

double IntegerField::asFloat() const
{
    return asInteger();
}

void IntegerField::setAsFloat(double v)
{
    if (!std::isfinite(v))
        invalidValue(invalidFloatMessage(formatGeneral(v), displayName()));
    const double r = roundHalfAway(v);
    checkRange(r);
    setData(int(r));
}

int IntegerField::asInteger() const
{
    return isNull() ? 0 : value().toInt();
}

void IntegerField::setAsInteger(int v)
{
    checkRange(v);
    setData(v);
}

QString IntegerField::asString() const
{
    return isNull() ? QString() : QString::number(asInteger());
}

void IntegerField::setAsString(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        clear();
        return;
    }
    const std::optional<qint64> v = parseInteger(text);
    if (!v || *v < std::numeric_limits<qint32>::min() || *v > std::numeric_limits<qint32>::max())
        invalidValue(invalidIntegerMessage(text, displayName()));
    checkRange(double(*v));
    setData(int(*v));
}

// ---------------------------------------------------------------- StringField

StringField::StringField(Dataset *dataset, const QString &name, int size, FieldRole role)
    : Field(dataset, name, paradox::FieldType::Alpha, size, role)
{}

QString StringField::asString() const
{
    return value().toString();
}

void StringField::setAsString(const QString &text)
{
    if (text.isEmpty()) {
        clear();
        return;
    }
    setData(size() > 0 && text.size() > size() ? text.left(size()) : text);
}

double StringField::asFloat() const
{
    if (isNull())
        return 0.0;
    const std::optional<double> v = parseFloat(asString());
    if (!v)
        invalidValue(invalidFloatMessage(asString(), displayName()));
    return *v;
}

void StringField::setAsFloat(double v)
{
    setAsString(formatGeneral(v));
}

int StringField::asInteger() const
{
    if (isNull())
        return 0;
    const std::optional<qint64> v = parseInteger(asString());
    if (!v || *v < std::numeric_limits<qint32>::min() || *v > std::numeric_limits<qint32>::max())
        invalidValue(invalidIntegerMessage(asString(), displayName()));
    return int(*v);
}

void StringField::setAsInteger(int v)
{
    setAsString(QString::number(v));
}

bool StringField::asBoolean() const
{
    const QString t = asString().trimmed();
    return t.compare(u"true"_s, Qt::CaseInsensitive) == 0 || t == u"1"_s;
}

void StringField::setAsBoolean(bool v)
{
    setAsString(v ? u"True"_s : u"False"_s);
}

// ---------------------------------------------------------------- BooleanField

BooleanField::BooleanField(Dataset *dataset, const QString &name, FieldRole role)
    : Field(dataset, name, paradox::FieldType::Logical, 0, role), m_trueText(u"Ano"_s), m_falseText(u"Ne"_s)
{}

void BooleanField::setDisplayValues(const QString &values)
{
    const qsizetype semi = values.indexOf(u';');
    m_trueText = semi < 0 ? values : values.left(semi);
    m_falseText = semi < 0 ? QString() : values.mid(semi + 1);
}

bool BooleanField::asBoolean() const
{
    return !isNull() && value().toBool();
}

void BooleanField::setAsBoolean(bool v)
{
    setData(v);
}

QString BooleanField::asString() const
{
    if (isNull())
        return QString();
    return asBoolean() ? m_trueText : m_falseText;
}

void BooleanField::setAsString(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        if (m_falseText.isEmpty())
            setAsBoolean(false);
        else if (m_trueText.isEmpty())
            setAsBoolean(true);
        else
            clear();
        return;
    }
    const auto starts = [&t](const QString &candidate) {
        return !candidate.isEmpty() && candidate.startsWith(t, Qt::CaseInsensitive);
    };
    if (starts(m_trueText))
        setAsBoolean(true);
    else if (starts(m_falseText))
        setAsBoolean(false);
    else
        invalidValue(invalidBooleanMessage(text, displayName()));
}

int BooleanField::asInteger() const
{
    return asBoolean() ? 1 : 0;
}

void BooleanField::setAsInteger(int v)
{
    setAsBoolean(v != 0);
}

// ---------------------------------------------------------------- DateField

DateField::DateField(Dataset *dataset, const QString &name, FieldRole role)
    : Field(dataset, name, paradox::FieldType::Date, 0, role)
{}

QDate DateField::asDate() const
{
    return isNull() ? QDate() : value().toDate();
}

void DateField::setAsDate(const QDate &v)
{
    if (!v.isValid())
        clear();
    else
        setData(v);
}

QString DateField::asString() const
{
    return isNull() ? QString() : formatDate(asDate());
}

void DateField::setAsString(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        clear();
        return;
    }
    const QDate today = dataset() ? dataset()->today() : QDate::currentDate();
    const std::optional<QDate> d = parseDate(text, today);
    if (!d)
        invalidValue(invalidDateMessage(text));
    setData(*d);
}

double DateField::asFloat() const
{
    // Days since 30.12.1899, as the toolkit's date arithmetic counts them.
    return isNull() ? 0.0 : double(QDate(1899, 12, 30).daysTo(asDate()));
}

// ---------------------------------------------------------------- helpers

double sumOf(const QList<FloatField *> &fields)
{
    double sum = 0.0;
    for (const FloatField *f : fields)
        sum += f->asFloat();
    return sum;
}

} // namespace data
