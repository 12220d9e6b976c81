#pragma once

#include "paradox/Schema.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <initializer_list>

namespace data {

class Dataset;

enum class FieldRole
{
    Stored,     // stored in the table file
    Calculated, // computed from the stored fields of the same record, never stored
};

// One column of a dataset's current record. Field objects are created by
// their dataset, live as long as it does and are looked up by name once;
// reading and writing goes through them, never through names.
//
// Assigning a value (setAs..., setValue, setText, clear) requires the dataset
// to be in edit or insert state, except for calculated fields while the
// dataset computes them. A refused value throws DatabaseError and leaves the
// field as it was.
class Field
{
public:
    virtual ~Field();
    Field(const Field &) = delete;
    Field &operator=(const Field &) = delete;

    Dataset *dataset() const { return m_dataset; }
    const QString &fieldName() const { return m_name; }
    paradox::FieldType dataType() const { return m_type; }
    FieldRole role() const { return m_role; }
    bool isCalculated() const { return m_role == FieldRole::Calculated; }
    // Position among the dataset's fields, in declaration order.
    int index() const { return m_index; }
    // Characters of a text field; 0 for other types.
    int size() const { return m_size; }

    // The name the messages use: the label when one is set, else the field name.
    QString displayName() const { return m_displayLabel.isEmpty() ? m_name : m_displayLabel; }
    const QString &displayLabel() const { return m_displayLabel; }
    void setDisplayLabel(const QString &label) { m_displayLabel = label; }

    bool isRequired() const { return m_required; }
    void setRequired(bool required) { m_required = required; }
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    bool isNull() const { return !m_value.isValid(); }
    void clear();

    // Null is an invalid QVariant; otherwise double, int, QString, bool or QDate.
    const QVariant &value() const { return m_value; }
    void setValue(const QVariant &value);

    // Getters of an empty field give 0, "", false or an invalid date.
    virtual double asFloat() const;
    virtual void setAsFloat(double value);
    virtual int asInteger() const;
    virtual void setAsInteger(int value);
    virtual QString asString() const;
    virtual void setAsString(const QString &value);
    virtual bool asBoolean() const;
    virtual void setAsBoolean(bool value);
    virtual QDate asDate() const;
    virtual void setAsDate(const QDate &value);
    QDateTime asDateTime() const;
    void setAsDateTime(const QDateTime &value);

    // Text for showing (display format applied) and for editing in a box.
    QString displayText() const;
    QString editText() const;
    // What a box writes when the user leaves it: runs the field's text rule
    // (onSetText when set, else the type's conversion). Empty text clears.
    void setText(const QString &text);

    // Hooks. onGetText replaces displayText()/editText() (the flag says which
    // one is asked for); onSetText replaces the conversion of setText() and
    // usually ends in a setAs... call; onValidate sees the new value before it
    // is stored and may throw to refuse it; onChange runs after it is stored.
    std::function<QString(const Field &, bool display)> onGetText;
    std::function<void(Field &, const QString &text)> onSetText;
    std::function<void(Field &, const QVariant &newValue)> onValidate;
    std::function<void(Field &)> onChange;

protected:
    Field(Dataset *dataset, const QString &name, paradox::FieldType type, int size, FieldRole role);

    virtual QString text(bool display) const;
    virtual void assignText(const QString &text);
    // Stores a value already converted to the field's own type.
    void setData(const QVariant &value);
    [[noreturn]] void conversionError(const char *target) const;

private:
    friend class Dataset;

    Dataset *m_dataset;
    QString m_name;
    QString m_displayLabel;
    paradox::FieldType m_type;
    int m_size;
    FieldRole m_role;
    int m_index = -1;
    int m_column = -1; // column in the store's record, -1 for calculated fields
    bool m_required = false;
    bool m_readOnly = false;
    QVariant m_value;
};

// Amounts and other floating-point numbers.
class FloatField : public Field
{
public:
    FloatField(Dataset *dataset, const QString &name, FieldRole role = FieldRole::Stored);

    double asFloat() const override;
    void setAsFloat(double value) override;
    int asInteger() const override;
    void setAsInteger(int value) override;
    QString asString() const override;
    void setAsString(const QString &value) override;

    // Both 0 means no range check.
    double minValue() const { return m_min; }
    double maxValue() const { return m_max; }
    void setRange(double min, double max);
    // "0" shows whole numbers; empty shows the general form.
    const QString &displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString &format) { m_displayFormat = format; }

protected:
    QString text(bool display) const override;

private:
    double m_min = 0;
    double m_max = 0;
    QString m_displayFormat;
};

// Short, Long and auto-increment integers. The type's own limits always
// apply; setRange() narrows them.
class IntegerField : public Field
{
public:
    IntegerField(Dataset *dataset, const QString &name, paradox::FieldType type = paradox::FieldType::Long,
                 FieldRole role = FieldRole::Stored);

    double asFloat() const override;
    void setAsFloat(double value) override;
    int asInteger() const override;
    void setAsInteger(int value) override;
    QString asString() const override;
    void setAsString(const QString &value) override;

    int minValue() const { return m_min; }
    int maxValue() const { return m_max; }
    void setRange(int min, int max);

private:
    void checkRange(double value) const;

    int m_min;
    int m_max;
};

class StringField : public Field
{
public:
    StringField(Dataset *dataset, const QString &name, int size = 20, FieldRole role = FieldRole::Stored);

    QString asString() const override;
    // Text longer than the field is cut to its size, as the box limits typing;
    // an empty text leaves the field empty.
    void setAsString(const QString &value) override;
    double asFloat() const override;
    void setAsFloat(double value) override;
    int asInteger() const override;
    void setAsInteger(int value) override;
    bool asBoolean() const override;
    void setAsBoolean(bool value) override;
};

class BooleanField : public Field
{
public:
    BooleanField(Dataset *dataset, const QString &name, FieldRole role = FieldRole::Stored);

    bool asBoolean() const override;
    void setAsBoolean(bool value) override;
    QString asString() const override;
    // Accepts the display texts (or their beginnings, any case); an empty text
    // means the value whose display text is empty, or clears the field.
    void setAsString(const QString &value) override;
    int asInteger() const override;
    void setAsInteger(int value) override;

    // "true text;false text", e.g. "X;" for the boxes the forms tick.
    QString displayValues() const { return m_trueText + u';' + m_falseText; }
    void setDisplayValues(const QString &values);

private:
    QString m_trueText;
    QString m_falseText;
};

class DateField : public Field
{
public:
    DateField(Dataset *dataset, const QString &name, FieldRole role = FieldRole::Stored);

    QDate asDate() const override;
    void setAsDate(const QDate &value) override;
    // "dd.mm.yyyy"; reading accepts d.m.yyyy, d.m.yy and d.m.
    QString asString() const override;
    void setAsString(const QString &value) override;
    double asFloat() const override;
};

// Sum of amounts, an empty one counting as 0.
double sumOf(const QList<FloatField *> &fields);

} // namespace data
