#include "registry/PasswordTable.h"

using namespace Qt::StringLiterals;

namespace registry {

void PasswordTable::open(const QString &dbPath, const paradox::OpenOptions &options)
{
    m_table.reset();
    m_table = paradox::Table::open(dbPath, options);
}

paradox::Table &PasswordTable::table() const
{
    if (!m_table)
        throw paradox::TableError(paradox::TableError::Kind::Invalid,
                                  u"Tabulku hesel Uziv.DB nelze otevřít."_s);
    return *m_table;
}

int PasswordTable::field(const QString &name) const
{
    const int index = table().fieldIndex(name);
    if (index < 0)
        throw paradox::TableError(paradox::TableError::Kind::Damaged,
                                  u"Tabulka hesel Uziv.DB nemá pole Cislo a Heslo."_s);
    return index;
}

void PasswordTable::refresh()
{
    if (m_table)
        m_table->refresh();
}

QString PasswordTable::password(int cislo) const
{
    table().refresh();
    const int heslo = field(u"Heslo"_s);
    const int row = table().findKey({cislo});
    return row < 0 ? QString() : table().value(row, heslo).toString();
}

void PasswordTable::store(int cislo, const QString &text)
{
    const int cisloField = field(u"Cislo"_s);
    const int heslo = field(u"Heslo"_s);
    const QVariant value = text.isEmpty() ? QVariant() : QVariant(text.left(MaxLength));
    paradox::Table &t = table();
    t.refresh();
    if (const int row = t.findKey({cislo}); row >= 0) {
        QVariantList record = t.record(row);
        record[heslo] = value;
        t.update(row, record);
    } else {
        QVariantList record(t.schema().fields.size());
        record[cisloField] = cislo;
        record[heslo] = value;
        t.append(record);
    }
}

void PasswordTable::removeSettlement(int cislo)
{
    paradox::Table &t = table();
    t.refresh();
    for (int row = t.findKey({cislo}); row >= 0; row = t.findKey({cislo}))
        t.remove(row);
}

} // namespace registry
