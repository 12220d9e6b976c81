#pragma once

#include "paradox/Table.h"
#include "registry/DataRoots.h"
#include "registry/PasswordTable.h"
#include "registry/RegistryHooks.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace platform {
class IMessages;
}

namespace registry {

// One entry of the settlement list "Data.DB".
struct Settlement
{
    int Cislo = 0;
    int Pozice = 0;
    QString Nazev;
    QString Adresar;

    bool operator==(const Settlement &) const = default;
};

// The orderings of the list, as stored in [Qesto] "Razeni".
enum class Razeni
{
    Vlastni = 0,
    Automaticky = 1,
    PodleNazvu = 2
};

// A number and directory chosen by "&Nové", not yet written anywhere; the
// dialog "Nové Qesto" turns it into a settlement or drops it.
struct NewSettlement
{
    int Cislo = 0;
    int Pozice = 0;
    QString Adresar;
    Razeni previous = Razeni::Automaticky; // the ordering to return to
};

// The settlement list of the data root FileDir and its passwords
// ("Data.DB", "Uziv.DB"), with everything the selection window does to them:
// orderings, preselection, the open test (in use elsewhere, password),
// create, rename, delete, positions and the list settings in the INI files.
// Windows call it; it shows its messages through IMessages. Table failures
// are shown as error messages with the engine's Czech text and lose nothing.
class SettlementList
{
public:
    SettlementList(DataRoots roots, platform::IMessages &messages, IRegistryHooks *hooks = nullptr);
    ~SettlementList();
    SettlementList(const SettlementList &) = delete;
    SettlementList &operator=(const SettlementList &) = delete;

    // The session's options (network control directory, the tables'
    // password) for every table opened here.
    void setOpenOptions(const paradox::OpenOptions &options) { m_options = options; }
    const paradox::OpenOptions &openOptions() const { return m_options; }

    const DataRoots &roots() const { return m_roots; }

    // Attaches paths.FileDir: clears stale lock files, brings the list files
    // to the current format (PrevodSeznF1) and opens the list and password
    // tables. At start-up and after every change of the data root.
    void attach();
    // Closes both tables and opens them again. A list that cannot be
    // opened reads as empty and is reported when the window is shown. A
    // password table that cannot be opened is replaced only when it is
    // missing or damaged (data::repairListTable); either way the user is
    // told, and without it no protected settlement opens.
    void reopen();
    void close();
    bool isOpen() const { return m_list != nullptr; }

    // Picks up what other computers changed, keeping the current entry.
    void refresh();

    // The entries in the current ordering.
    const QList<Settlement> &entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    // -1 when the list is empty.
    int currentIndex() const;
    void setCurrentIndex(int index);
    std::optional<Settlement> current() const;
    // Moves to the entry of that number; false (and no move) when there is none.
    bool selectNumber(int cislo);
    void first();

    Razeni razeni() const { return m_razeni; }
    // Applies the ordering, keeping the current entry; store writes it to
    // [Qesto] "Razeni" of the data root's Qesto.ini at once.
    void setRazeni(Razeni razeni, bool store = true);

    // "Zobrazovat": preselect the last selected settlement when shown.
    bool showLast() const { return m_showLast; }
    void setShowLast(bool on) { m_showLast = on; }

    // Showing the selection window: disconnects the open settlement, makes
    // the data root the current directory, refreshes, preselects [Vyber]
    // "Cislo" when [Vyber] "Pos" says so and applies the stored ordering.
    void prepareShow();
    // Hiding it: stores "Pos", "Cislo" and "Razeni", re-arms the conversion
    // check for an empty list, reopens the tables on the same entry.
    void finishShow();

    // Leaving the window with OK: the current settlement must not be held by
    // another user and its password must be known. Shows the reason and
    // returns false when it cannot be opened. An empty list passes.
    bool confirmOpen(IPasswordPrompt &prompt);

    // Whether another process or computer holds the settlement: its table
    // "Vvdp" cannot be opened exclusively. A settlement without that file is
    // not in use.
    bool isInUse(const Settlement &settlement);

    // For showing: empty also when the password table cannot be read.
    QString password(int cislo) const;
    // Exact comparison: letter case counts. No password accepts anything; a
    // password table that cannot be read accepts nothing.
    bool checkPassword(int cislo, const QString &typed);
    // Stores the password of the settlement (a row is added when it has
    // none); an empty text removes the protection.
    bool setPassword(int cislo, const QString &password);

    // The password window on the current entry. Adding asks first; changing
    // needs the old password, letter case counting. Each shows its outcome.
    enum class PasswordChange
    {
        Done,
        Declined,
        WrongOld,
        Failed
    };
    PasswordChange addPassword(const QString &newPassword);
    PasswordChange changePassword(const QString &oldPassword, const QString &newPassword);

    // The message for an empty list; returns whether there is an entry.
    bool requireEntry();

    // "&Nové": the free number (first gap from 1, else count + 1, else one
    // past the last), its directory, and its place in the own order beside
    // the current entry when that ordering is in use. Switches to the
    // ordering by number, as the new entry is shown there.
    NewSettlement prepareNew();
    // Posts the entry named name, creates its directory and copies the
    // settlement templates into it, then restores the ordering and makes the
    // new entry current. On failure shows why, leaves nothing behind and
    // returns false.
    bool create(const NewSettlement &draft, const QString &name);
    // Cancelling "Nové Qesto": nothing was written; the ordering returns.
    void cancelNew(const NewSettlement &draft);
    static int freeNumber(const QList<int> &numbersAscending);

    // Renames the current entry (at most 20 characters are kept).
    bool rename(const QString &name);

    // "&Smazat" with its tests, two questions, file and directory removal
    // and status texts. Returns whether the settlement was deleted.
    bool removeCurrent(IPasswordPrompt &prompt);

    // The positions window: switches to the own order and gives one line
    // per entry, number + " " + name, and the line of the current entry.
    QStringList positionLines();
    // Closing it: entry of line i (its number is the text before the first
    // blank) gets Pozice i + 1; then the own order on the same entry.
    bool storePositions(const QStringList &lines);
    // "Vymazat vlastní nastavení": asks, then Pozice = Cislo everywhere and
    // the ordering by number.
    bool clearOwnOrder();

    // Ctrl+P: with an empty list re-arms the conversion from the previous
    // version for the next start; true when the program should end now.
    bool rearmConversion();

private:
    // reopen() without showing anything: the message for the user, empty
    // when there is nothing to tell.
    QString openTables();
    void openPasswords();
    // The stored password, or nothing (after telling the user why) when the
    // password table cannot be read: no answer is not the same as no
    // password.
    std::optional<QString> storedPassword(int cislo);
    void load();
    void sortEntries();
    int rowOf(int cislo) const;
    QList<int> sortedNumbers() const;
    void updateEntry(const Settlement &entry);
    // Gives each entry the position positionOf returns (-1 keeps it), then
    // switches to the ordering then.
    bool writePositions(const std::function<int(const Settlement &)> &positionOf, Razeni then);
    QString settlementDir(const Settlement &entry) const;
    bool passesOpenTests(const Settlement &entry, IPasswordPrompt &prompt);
    void showError(const paradox::TableError &e);
    QString localIni() const;
    QString rootIni() const;
    // [Qesto] "Prevod215" and "Prevod215o" of the conversion check.
    QString conversionDoneKey() const;
    QString conversionTakenKey() const;

    DataRoots m_roots;
    platform::IMessages &m_messages;
    IRegistryHooks m_noHooks;
    IRegistryHooks &m_hooks;
    paradox::OpenOptions m_options;
    std::unique_ptr<paradox::Table> m_list;
    PasswordTable m_passwords;
    QList<Settlement> m_entries;
    int m_current = 0;   // Cislo of the current entry; 0 for none
    QString m_openError; // why the list could not be opened
    Razeni m_razeni = Razeni::Automaticky;
    bool m_showLast = true;
};

// What the information window "Informace" shows; the program fills it in.
struct InfoPaths
{
    QString DataDir;
    bool dataIniNamed = false; // Data.ini named DataDir: "INI" beside it
    QString FileDirLocal;
    QString FileDirPrg;
    QString FileDir;
    QString NetFileDir;
    QString PrivateDir;
    QString CommonAppData;
    QString Personal;
};

// Its rows: label, value and the note beside the value. CurrentDir is the
// process's current directory at the time of the call.
struct InfoRow
{
    QString label;
    QString value;
    QString note;
};
QList<InfoRow> informationRows(const InfoPaths &paths);

} // namespace registry
