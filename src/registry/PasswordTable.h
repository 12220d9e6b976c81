#pragma once

#include "paradox/Table.h"

#include <QString>

#include <memory>

namespace registry {

// The settlement passwords "Uziv.DB": one row per protected settlement, its
// number (the key) and password. Other computers change the table too, so
// every read and write picks up their changes first. Failures of the table
// arrive as paradox::TableError with the engine's Czech text.
class PasswordTable
{
public:
    static constexpr int MaxLength = 10;

    // Opens the table at dbPath; throws when it cannot be opened.
    void open(const QString &dbPath, const paradox::OpenOptions &options);
    void close() { m_table.reset(); }
    bool isOpen() const { return m_table != nullptr; }

    // Picks up what other computers changed; nothing when closed.
    void refresh();

    // The stored password of the settlement; empty when it has none.
    // Throws when the table cannot be read, so that a failure is never taken
    // for a settlement without protection.
    QString password(int cislo) const;
    // Stores the password (at most MaxLength characters; a row is added
    // when the settlement has none); an empty text removes the protection.
    void store(int cislo, const QString &text);
    // Removes every row of the settlement.
    void removeSettlement(int cislo);

private:
    paradox::Table &table() const;
    int field(const QString &name) const;

    std::unique_ptr<paradox::Table> m_table;
};

} // namespace registry
