#include "registry/SettlementList.h"

#include "data/DataFiles.h"
#include "data/ListFiles.h"
#include "data/TableDefs.h"
#include "paradox/Collation.h"
#include "paradox/SecondaryIndex.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/Messages.h"
#include "platform/StaleLocks.h"

#include <QDir>
#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;
using platform::IniFile;
namespace FileOps = platform::FileOps;

namespace registry {

namespace {

const QString NoEntryMessage = u"Není k dispozici žádné Qesto. Spusťte akci nové Qesto."_s;
const QString InUseMessage = u"Toto Qesto právě zpracovává jiný uživatel."_s;
const QString WrongPasswordMessage = u"Neplatné heslo pro toto Qesto."_s;

constexpr int NameLength = 20;

int intOf(const QVariant &v)
{
    return v.isNull() ? 0 : v.toInt();
}

// A directory name read from the list must name a folder right below the
// data root: a damaged or hand-edited list must never lead the deletion of
// settlement files into another folder.
bool isPlainDirectoryName(const QString &name)
{
    if (name.isEmpty() || name == u"."_s || name == u".."_s)
        return false;
    return std::none_of(name.cbegin(), name.cend(),
                        [](QChar c) { return c == u'\\' || c == u'/' || c == u':'; });
}

QString storedDir(const QString &root, const QString &name)
{
    return FileOps::withTrailingSeparator(root + name);
}

} // namespace

SettlementList::SettlementList(DataRoots roots, platform::IMessages &messages, IRegistryHooks *hooks)
    : m_roots(std::move(roots)), m_messages(messages), m_hooks(hooks ? *hooks : m_noHooks)
{}

SettlementList::~SettlementList() = default;

QString SettlementList::localIni() const
{
    return FileOps::resolve(m_roots.FileDirLocal + data::DataFiles::settingsIni());
}

QString SettlementList::conversionDoneKey() const
{
    return u"Prevod"_s + m_roots.yearTag;
}

QString SettlementList::conversionTakenKey() const
{
    return u"Prevod"_s + m_roots.yearTag + u'o';
}

QString SettlementList::rootIni() const
{
    return FileOps::resolve(m_roots.FileDir + data::DataFiles::settingsIni());
}

QString SettlementList::settlementDir(const Settlement &entry) const
{
    return storedDir(m_roots.FileDir, entry.Adresar);
}

void SettlementList::showError(const paradox::TableError &e)
{
    m_messages.error(e.message());
}

void SettlementList::attach()
{
    close();
    // Without a list there is no data root here to clean up or upgrade.
    if (!FileOps::fileExists(m_roots.FileDir + data::DataFiles::listTable())) {
        load();
        return;
    }
    platform::removeStaleLockFiles(FileOps::resolve(m_roots.FileDir));
    const data::ListUpgradeResult upgraded = data::PrevodSeznF1(m_roots.FileDir, m_options);
    const QString said = upgraded.passwords.message;
    if (!said.isEmpty())
        m_messages.error(said);
    // A failure that lasts is told once, not again by the opening.
    if (const QString again = openTables(); !again.isEmpty() && again != said)
        m_messages.error(again);
}

void SettlementList::close()
{
    m_list.reset();
    m_passwords.close();
}

void SettlementList::reopen()
{
    if (const QString message = openTables(); !message.isEmpty())
        m_messages.error(message);
}

QString SettlementList::openTables()
{
    const int remembered = m_current;
    close();
    const QString listPath =
        data::tableFilePath(m_roots.FileDir, data::tableDef(data::TableId::Data).fileName());
    m_openError.clear();
    QString message;
    try {
        m_list = paradox::Table::open(listPath, m_options);
        // Other computers order the list through its index files: every
        // change made here keeps them in step.
        paradox::SecondaryIndex::maintain(*m_list);
    } catch (const paradox::TableError &e) {
        // The list reads as empty; the reason is shown with the list.
        m_list.reset();
        m_openError = e.message();
    }
    if (m_list) {
        try {
            openPasswords();
        } catch (const paradox::TableError &e) {
            const data::ListTableRepair repair =
                data::repairListTable(m_roots.FileDir, data::ListGroup::Passwords, e, m_options);
            message = repair.message;
            if (repair.replaced) {
                try {
                    openPasswords();
                } catch (const paradox::TableError &again) {
                    message += (message.isEmpty() ? QString() : u"\n"_s) + again.message();
                }
            }
        }
    }
    m_current = remembered;
    load();
    return message;
}

void SettlementList::openPasswords()
{
    m_passwords.open(data::tableFilePath(m_roots.FileDir, data::tableDef(data::TableId::Uziv).fileName()),
                     m_options);
}

void SettlementList::refresh()
{
    if (!m_list) {
        reopen();
        return;
    }
    try {
        m_list->refresh();
        m_passwords.refresh();
    } catch (const paradox::TableError &e) {
        showError(e);
    }
    load();
}

void SettlementList::load()
{
    m_entries.clear();
    if (m_list) {
        const int cislo = m_list->fieldIndex(u"Cislo"_s);
        const int pozice = m_list->fieldIndex(u"Pozice"_s);
        const int nazev = m_list->fieldIndex(u"Nazev"_s);
        const int adresar = m_list->fieldIndex(u"Adresar"_s);
        try {
            for (int row = 0; row < m_list->recordCount(); ++row) {
                const QVariantList r = m_list->record(row);
                Settlement s;
                s.Cislo = cislo >= 0 ? intOf(r.at(cislo)) : 0;
                s.Pozice = pozice >= 0 ? intOf(r.at(pozice)) : s.Cislo;
                s.Nazev = nazev >= 0 ? r.at(nazev).toString() : QString();
                s.Adresar = adresar >= 0 ? r.at(adresar).toString().trimmed() : QString();
                m_entries.append(s);
            }
        } catch (const paradox::TableError &e) {
            showError(e);
        }
    }
    sortEntries();
    if (currentIndex() < 0)
        first();
}

void SettlementList::sortEntries()
{
    const auto byNumber = [](const Settlement &a, const Settlement &b) { return a.Cislo < b.Cislo; };
    switch (m_razeni) {
    case Razeni::Vlastni:
        // Entries of one position stay in the order of their numbers, as a
        // secondary index keeps equal keys in primary key order.
        std::stable_sort(m_entries.begin(), m_entries.end(), byNumber);
        std::stable_sort(m_entries.begin(), m_entries.end(),
                         [](const Settlement &a, const Settlement &b) { return a.Pozice < b.Pozice; });
        break;
    case Razeni::Automaticky:
        std::stable_sort(m_entries.begin(), m_entries.end(), byNumber);
        break;
    case Razeni::PodleNazvu:
        std::stable_sort(m_entries.begin(), m_entries.end(), byNumber);
        std::stable_sort(m_entries.begin(), m_entries.end(), [](const Settlement &a, const Settlement &b) {
            return paradox::compareCzech(a.Nazev, b.Nazev) < 0;
        });
        break;
    }
}

int SettlementList::currentIndex() const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).Cislo == m_current)
            return i;
    }
    return -1;
}

void SettlementList::setCurrentIndex(int index)
{
    if (index >= 0 && index < m_entries.size())
        m_current = m_entries.at(index).Cislo;
}

std::optional<Settlement> SettlementList::current() const
{
    const int i = currentIndex();
    if (i < 0)
        return std::nullopt;
    return m_entries.at(i);
}

bool SettlementList::selectNumber(int cislo)
{
    const auto it = std::find_if(m_entries.cbegin(), m_entries.cend(),
                                 [cislo](const Settlement &s) { return s.Cislo == cislo; });
    if (it == m_entries.cend())
        return false;
    m_current = cislo;
    return true;
}

void SettlementList::first()
{
    m_current = m_entries.isEmpty() ? 0 : m_entries.first().Cislo;
}

void SettlementList::setRazeni(Razeni razeni, bool store)
{
    m_razeni = razeni;
    sortEntries();
    if (store)
        platform::writeIfPossible([&] { IniFile(rootIni()).writeInteger(u"Qesto", u"Razeni", int(razeni)); });
}

void SettlementList::prepareShow()
{
    m_hooks.disconnectSettlementDatabase();
    FileOps::setCurrentDir(m_roots.FileDir);
    refresh();
    // An empty list must not hide a list that could not be read.
    if (!m_list && !m_openError.isEmpty())
        m_messages.error(m_openError);

    const IniFile local(localIni());
    m_showLast = local.readBool(u"Vyber", u"Pos", true);
    const int stored = IniFile(rootIni()).readInteger(u"Qesto", u"Razeni", 1);
    if (stored >= 0 && stored <= 2)
        setRazeni(Razeni(stored), false);
    if (m_showLast)
        selectNumber(local.readInteger(u"Vyber", u"Cislo", 1));
    else
        first();
}

void SettlementList::finishShow()
{
    platform::writeIfPossible([&] {
        IniFile local(localIni());
        local.writeBool(u"Vyber", u"Pos", m_showLast);
        if (const auto entry = current())
            local.writeInteger(u"Vyber", u"Cislo", entry->Cislo);
        if (isEmpty() && local.readString(u"Qesto", conversionTakenKey()) == u"1")
            local.writeString(u"Qesto", conversionDoneKey(), u"");
    });
    platform::writeIfPossible([&] { IniFile(rootIni()).writeInteger(u"Qesto", u"Razeni", int(m_razeni)); });
    reopen();
}

bool SettlementList::isInUse(const Settlement &settlement)
{
    if (!isPlainDirectoryName(settlement.Adresar))
        return false;
    const QString vvdp =
        data::tableFilePath(settlementDir(settlement), data::tableDef(data::TableId::Vvdp).fileName());
    if (!FileOps::fileExists(vvdp))
        return false;
    paradox::OpenOptions exclusive = m_options;
    exclusive.mode = paradox::OpenMode::Exclusive;
    try {
        paradox::Table::open(vvdp, exclusive);
    } catch (const paradox::TableError &e) {
        // A damaged table is not somebody else's: opening reports it.
        return e.kind() == paradox::TableError::Kind::InUse;
    }
    return false;
}

bool SettlementList::passesOpenTests(const Settlement &entry, IPasswordPrompt &prompt)
{
    if (isPlainDirectoryName(entry.Adresar))
        platform::removeStaleLockFiles(FileOps::resolve(settlementDir(entry)));
    if (isInUse(entry)) {
        m_messages.information(InUseMessage);
        return false;
    }
    const std::optional<QString> stored = storedPassword(entry.Cislo);
    if (!stored)
        return false;
    if (!stored->isEmpty() && prompt.askPassword() != *stored) {
        m_messages.information(WrongPasswordMessage);
        return false;
    }
    return true;
}

bool SettlementList::confirmOpen(IPasswordPrompt &prompt)
{
    const auto entry = current();
    return !entry || passesOpenTests(*entry, prompt);
}

QString SettlementList::password(int cislo) const
{
    if (!m_passwords.isOpen())
        return QString();
    try {
        return m_passwords.password(cislo);
    } catch (const paradox::TableError &) {
        return QString();
    }
}

std::optional<QString> SettlementList::storedPassword(int cislo)
{
    try {
        if (!m_passwords.isOpen()) {
            // Without the table there is no protection to keep.
            const QString path =
                data::tableFilePath(m_roots.FileDir, data::tableDef(data::TableId::Uziv).fileName());
            if (!FileOps::fileExists(path))
                return QString();
            openPasswords();
        }
        return m_passwords.password(cislo);
    } catch (const paradox::TableError &e) {
        m_messages.error(u"Tabulku hesel Uziv.DB nelze otevřít.\n"_s + e.message());
        return std::nullopt;
    }
}

bool SettlementList::checkPassword(int cislo, const QString &typed)
{
    const std::optional<QString> stored = storedPassword(cislo);
    return stored && (stored->isEmpty() || *stored == typed);
}

bool SettlementList::setPassword(int cislo, const QString &text)
{
    if (!m_passwords.isOpen())
        reopen();
    if (!m_passwords.isOpen()) {
        m_messages.error(u"Tabulku hesel Uziv.DB nelze otevřít."_s);
        return false;
    }
    try {
        m_passwords.store(cislo, text);
    } catch (const paradox::TableError &e) {
        showError(e);
        return false;
    }
    return true;
}

SettlementList::PasswordChange SettlementList::addPassword(const QString &newPassword)
{
    const auto entry = current();
    if (!entry)
        return PasswordChange::Failed;
    // The window offers adding only for a settlement without a password;
    // one that cannot be read now must not be overwritten unseen.
    const std::optional<QString> stored = storedPassword(entry->Cislo);
    if (!stored)
        return PasswordChange::Failed;
    if (!stored->isEmpty()) {
        m_messages.information(u"Toto Qesto už má heslo, lze ho jen změnit."_s);
        return PasswordChange::Failed;
    }
    if (!m_messages.confirm(u"Opravdu přidat heslo ?"_s))
        return PasswordChange::Declined;
    if (!setPassword(entry->Cislo, newPassword))
        return PasswordChange::Failed;
    m_messages.information(u"Heslo bylo přidáno."_s);
    return PasswordChange::Done;
}

SettlementList::PasswordChange SettlementList::changePassword(const QString &oldPassword,
                                                              const QString &newPassword)
{
    const auto entry = current();
    if (!entry)
        return PasswordChange::Failed;
    const std::optional<QString> stored = storedPassword(entry->Cislo);
    if (!stored)
        return PasswordChange::Failed;
    if (oldPassword != *stored) {
        m_messages.information(u"Neplatné heslo."_s);
        return PasswordChange::WrongOld;
    }
    if (!m_messages.confirm(u"Opravdu změnit heslo ?"_s))
        return PasswordChange::Declined;
    if (!setPassword(entry->Cislo, newPassword))
        return PasswordChange::Failed;
    m_messages.information(u"Heslo bylo změněno."_s);
    return PasswordChange::Done;
}

bool SettlementList::requireEntry()
{
    if (current())
        return true;
    m_messages.information(NoEntryMessage);
    return false;
}

int SettlementList::freeNumber(const QList<int> &numbersAscending)
{
    int counter = 1;
    int found = 0;
    for (int number : numbersAscending) {
        if (number > counter) {
            found = counter;
            break;
        }
        ++counter;
    }
    if (found == 0)
        found = int(numbersAscending.size()) + 1;
    if (numbersAscending.contains(found))
        found = numbersAscending.last() + 1;
    return found;
}

QList<int> SettlementList::sortedNumbers() const
{
    QList<int> numbers;
    for (const Settlement &s : m_entries)
        numbers.append(s.Cislo);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

NewSettlement SettlementList::prepareNew()
{
    refresh();
    NewSettlement draft;
    draft.previous = m_razeni;
    const auto selected = current();
    setRazeni(Razeni::Automaticky, false);

    draft.Cislo = freeNumber(sortedNumbers());
    draft.Adresar = u"D"_s + QString::number(draft.Cislo);
    draft.Pozice = draft.previous == Razeni::Vlastni && selected ? selected->Pozice : draft.Cislo;
    return draft;
}

void SettlementList::cancelNew(const NewSettlement &draft)
{
    setRazeni(draft.previous, false);
}

int SettlementList::rowOf(int cislo) const
{
    return m_list ? m_list->findKey({cislo}) : -1;
}

bool SettlementList::create(const NewSettlement &proposed, const QString &name)
{
    if (!m_list)
        reopen();
    if (!m_list) {
        m_messages.error(u"Seznam Qesto Data.DB nelze otevřít."_s);
        return false;
    }
    NewSettlement draft = proposed;
    refresh();
    if (rowOf(draft.Cislo) >= 0) {
        // Another computer took the number meanwhile: the next free one,
        // keeping a place in the own order that was chosen beside an entry.
        const bool ownPlace = draft.Pozice != draft.Cislo;
        draft.Cislo = freeNumber(sortedNumbers());
        draft.Adresar = u"D"_s + QString::number(draft.Cislo);
        if (!ownPlace)
            draft.Pozice = draft.Cislo;
    }

    const Settlement entry{draft.Cislo, draft.Pozice, name.left(NameLength), draft.Adresar};
    const QString dir = settlementDir(entry);
    const QString templates = m_roots.FileDir + data::DataFiles::templateDir();
    const bool dirExisted = FileOps::dirExists(dir);
    QStringList copied;
    QString failure;
    try {
        QVariantList record(m_list->schema().fields.size());
        record[m_list->fieldIndex(u"Cislo"_s)] = entry.Cislo;
        if (const int p = m_list->fieldIndex(u"Pozice"_s); p >= 0)
            record[p] = entry.Pozice;
        record[m_list->fieldIndex(u"Nazev"_s)] = entry.Nazev.isEmpty() ? QVariant() : QVariant(entry.Nazev);
        record[m_list->fieldIndex(u"Adresar"_s)] = entry.Adresar;
        m_list->append(record);
    } catch (const paradox::TableError &e) {
        showError(e);
        return false;
    }

    m_hooks.setBusy(true);
    if (!dirExisted && !FileOps::createDir(dir) && !FileOps::dirExists(dir))
        failure = u"Adresář %1 nelze vytvořit."_s.arg(QDir::toNativeSeparators(FileOps::resolve(dir)));
    for (const QString &file : data::settlementFileNames()) {
        if (!failure.isEmpty())
            break;
        if (FileOps::copyFile(templates + file, dir + file, true))
            copied.append(file);
        else
            failure = u"Soubor %1 nelze zkopírovat do adresáře %2."_s.arg(
                QDir::toNativeSeparators(FileOps::resolve(templates + file)),
                QDir::toNativeSeparators(FileOps::resolve(dir)));
    }

    if (!failure.isEmpty()) {
        // A settlement without its tables could only fail later; take back
        // what was made so the list holds nothing half created.
        for (const QString &file : std::as_const(copied))
            FileOps::deleteFile(dir + file);
        if (!dirExisted)
            FileOps::removeDir(dir);
        try {
            if (const int row = rowOf(entry.Cislo); row >= 0)
                m_list->remove(row);
        } catch (const paradox::TableError &) {
        }
        m_hooks.setBusy(false);
        load();
        setRazeni(draft.previous, false);
        m_messages.error(u"Qesto %1 se nepodařilo vytvořit.\n"_s.arg(entry.Nazev) + failure);
        return false;
    }

    m_hooks.setBusy(false);
    load();
    setRazeni(draft.previous, false);
    selectNumber(entry.Cislo);
    return true;
}

void SettlementList::updateEntry(const Settlement &entry)
{
    const int row = rowOf(entry.Cislo);
    if (row < 0)
        return;
    QVariantList record = m_list->record(row);
    if (const int p = m_list->fieldIndex(u"Pozice"_s); p >= 0)
        record[p] = entry.Pozice;
    record[m_list->fieldIndex(u"Nazev"_s)] = entry.Nazev.isEmpty() ? QVariant() : QVariant(entry.Nazev);
    m_list->update(row, record);
}

bool SettlementList::rename(const QString &name)
{
    auto entry = current();
    if (!entry || !m_list)
        return false;
    entry->Nazev = name.left(NameLength);
    try {
        m_list->refresh();
        updateEntry(*entry);
    } catch (const paradox::TableError &e) {
        showError(e);
        return false;
    }
    load();
    return true;
}

bool SettlementList::removeCurrent(IPasswordPrompt &prompt)
{
    refresh();
    const auto entry = current();
    if (entry && !passesOpenTests(*entry, prompt))
        return false;
    FileOps::setCurrentDir(m_roots.FileDir);
    if (!entry || !m_list) {
        m_messages.information(NoEntryMessage);
        return false;
    }

    m_hooks.showStatus(u"Vymaže vybrané Qesto z disku. P O Z O R  -  máte uložena data ?"_s);
    const QString question = u"Opravdu smazat Qesto "_s + entry->Nazev + u" ?"_s;
    if (!m_messages.confirm(question) || !m_messages.confirm(question))
        return false;

    if (isPlainDirectoryName(entry->Adresar)) {
        const QString dir = settlementDir(*entry);
        QStringList files = data::settlementFileNames();
        files << entry->Adresar + u".ini"_s << u"Pdoxusrs.lck"_s << u"Paradox.lck"_s;
        for (const QString &file : std::as_const(files))
            FileOps::deleteFile(dir + file);
    }
    try {
        if (m_passwords.isOpen())
            m_passwords.removeSettlement(entry->Cislo);
        m_list->refresh();
        if (const int row = rowOf(entry->Cislo); row >= 0)
            m_list->remove(row);
    } catch (const paradox::TableError &e) {
        showError(e);
        load();
        return false;
    }
    load();
    first();
    // Only an empty directory goes: whatever else the user kept there stays.
    if (isPlainDirectoryName(entry->Adresar))
        FileOps::removeDir(settlementDir(*entry));
    m_hooks.showStatus(u"Qesto "_s + entry->Nazev + u" bylo vymazáno."_s);
    return true;
}

QStringList SettlementList::positionLines()
{
    refresh();
    setRazeni(Razeni::Vlastni, true);
    QStringList lines;
    for (const Settlement &s : std::as_const(m_entries))
        lines.append(QString::number(s.Cislo) + u' ' + s.Nazev);
    return lines;
}

bool SettlementList::writePositions(const std::function<int(const Settlement &)> &positionOf, Razeni then)
{
    if (!m_list)
        return false;
    try {
        m_list->refresh();
        load();
        for (Settlement s : std::as_const(m_entries)) {
            const int position = positionOf(s);
            if (position < 0 || position == s.Pozice)
                continue;
            s.Pozice = position;
            updateEntry(s);
        }
    } catch (const paradox::TableError &e) {
        showError(e);
        load();
        return false;
    }
    load();
    setRazeni(then, true);
    return true;
}

bool SettlementList::storePositions(const QStringList &lines)
{
    QHash<int, int> positions;
    for (int i = 0; i < lines.size(); ++i) {
        bool ok = false;
        const int cislo = lines.at(i).section(u' ', 0, 0).toInt(&ok);
        if (ok)
            positions.insert(cislo, i + 1);
    }
    return writePositions([&positions](const Settlement &s) { return positions.value(s.Cislo, -1); },
                          Razeni::Vlastni);
}

bool SettlementList::clearOwnOrder()
{
    if (!m_messages.confirm(u"Opravdu vymazat vlastní nastavení ?"_s))
        return false;
    if (isEmpty())
        return false;
    return writePositions([](const Settlement &s) { return s.Cislo; }, Razeni::Automaticky);
}

bool SettlementList::rearmConversion()
{
    if (!isEmpty())
        return false;
    IniFile local(localIni());
    try {
        local.writeString(u"Qesto", conversionTakenKey(), u"1");
        local.writeString(u"Qesto", conversionDoneKey(), u"");
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
        return false;
    }
    m_messages.information(u"Změny se projeví při novém spuštění programu."_s);
    return true;
}

QList<InfoRow> informationRows(const InfoPaths &paths)
{
    return {
        {u"DataDir:"_s, paths.DataDir, paths.dataIniNamed ? u"INI"_s : QString()},
        {u"FileDirLocal:"_s, paths.FileDirLocal, {}},
        {u"FileDirPrg:"_s, paths.FileDirPrg, {}},
        {u"FileDir:"_s, paths.FileDir, {}},
        {u"CurrentDir:"_s, FileOps::withTrailingSeparator(FileOps::currentDir()), {}},
        {u"NetFileDir:"_s, paths.NetFileDir, {}},
        {u"PrivateDir:"_s, paths.PrivateDir, {}},
        {u"Common AppData:"_s, paths.CommonAppData, {}},
        {u"Personal:"_s, paths.Personal, {}},
    };
}

} // namespace registry
