#include "settlement/Conversion.h"

#include "data/DataFiles.h"
#include "data/ListFiles.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/Messages.h"
#include "registry/SettlementList.h"
#include "settlement/Version.h"

using namespace Qt::StringLiterals;
namespace FileOps = platform::FileOps;

namespace settlement {

namespace {

bool isInstallation(const QString &dir)
{
    return FileOps::fileExists(dir + data::DataFiles::listTable()) &&
           FileOps::fileExists(dir + data::DataFiles::settingsIni());
}

QString doneKey()
{
    return u"Prevod"_s + Version::yearTag();
}

QString takenKey()
{
    return u"Prevod"_s + Version::yearTag() + u'o';
}

// The candidate of a conversion that has begun copying, and whether it
// rolls the settlements into the new year ("1") or only archives them ("0"):
// kept until the copying has ended, so that a stopped one is repeated.
QString resumeKey()
{
    return u"Prevod"_s + Version::yearTag() + u'z';
}

QString resumeNewYearKey()
{
    return resumeKey() + u'n';
}

QString requestSection()
{
    return u"Prevodzu"_s + Version::yearTag();
}

QString refusedMessage()
{
    return u"Vyberte adresář s předchozí verzí programu Qesto."_s;
}

} // namespace

Conversion::Conversion(const AppPaths &paths, platform::IMessages &messages, registry::SettlementList &list,
                       IConversionWindow *window)
    : m_paths(paths), m_messages(messages), m_list(list), m_window(window)
{}

QString Conversion::localIni() const
{
    return FileOps::resolve(m_paths.FileDirLocal + data::DataFiles::settingsIni());
}

QString Conversion::findCandidate(const QString &programDir, const QString &localRoot, int taxYear)
{
    QString candidate;
    const QStringList bases{FileOps::parentOf(FileOps::withTrailingSeparator(programDir)),
                            FileOps::parentOf(FileOps::withTrailingSeparator(localRoot))};
    for (int year = 2002; year <= taxYear - 1; ++year) {
        for (const QString &base : bases) {
            if (base.isEmpty())
                continue;
            const QString dir = base + u"Qesto "_s + QString::number(year) + u'\\';
            if (!samePath(dir, localRoot) && isInstallation(dir))
                candidate = dir + data::DataFiles::listTable();
        }
    }
    return candidate;
}

void Conversion::KontrolaInst1()
{
    platform::IniFile local(localIni());
    if (local.readString(u"Qesto", doneKey()) == u"1")
        return;
    const bool taken = local.readString(u"Qesto", takenKey()) == u"1";
    const QString resumed = local.readString(u"Qesto", resumeKey());

    m_state = {};
    if (!resumed.isEmpty()) {
        // The list taken over then is no longer empty; the same choices
        // apply without asking again.
        m_state.candidate = resumed;
        m_state.newYear = local.readString(u"Qesto", resumeNewYearKey()) != u"0";
        m_resuming = true;
        KontrolaInst2(m_paths.FileDirLocal + data::DataFiles::listTable(), m_state.candidate);
        m_resuming = false;
    } else {
        m_state.candidate = findCandidate(m_paths.FileDirPrg, m_paths.FileDirLocal, Version::TaxYear);
        if (m_list.isEmpty() && (!m_state.candidate.isEmpty() || taken) && m_window)
            m_window->ask(m_state);
        if (m_state.convertData)
            KontrolaInst2(m_paths.FileDirLocal + data::DataFiles::listTable(), m_state.candidate);
    }
    platform::writeIfPossible([&] { local.writeString(u"Qesto", doneKey(), u"1"); });
}

void Conversion::KontrolaInst2(const QString &localListPath, const QString &candidate)
{
    m_state.success = true;
    m_failed.clear();
    const QString from = FileOps::directoryOf(candidate);
    if (candidate.isEmpty() || samePath(from, FileOps::directoryOf(localListPath)) || !isInstallation(from) ||
        (!m_list.isEmpty() && !m_resuming))
        return;
    if (m_busy)
        m_busy(true);

    const platform::IniFile earlier(FileOps::resolve(from + data::DataFiles::settingsIni()));
    const QString net = earlier.readString(u"Qesto", u"Net");
    const QString path = earlier.readString(u"Qesto", u"Path");
    const QString razeni = earlier.readString(u"Qesto", u"Razeni");
    const int pos = earlier.readInteger(u"Vyber", u"Pos", 1);
    const int cislo = earlier.readInteger(u"Vyber", u"Cislo", 1);

    platform::IniFile local(localIni());
    const QString localNet = local.readString(u"Qesto", u"Net");
    const QString localPath = local.readString(u"Qesto", u"Path");
    platform::writeIfPossible([&] {
        local.writeString(u"Qesto", u"Razeni", razeni);
        local.writeString(u"Qesto", takenKey(), u"1");
        local.writeInteger(u"Vyber", u"Pos", pos);
        local.writeInteger(u"Vyber", u"Cislo", cislo);
    });

    const bool earlierNetwork = net == u"1" && !path.isEmpty();
    const QString source = earlierNetwork ? FileOps::withTrailingSeparator(path) : from;
    // Both on the same shared data root: the data are already there.
    const bool shared = earlierNetwork && localNet == u"1" && samePath(path, localPath);
    if (!shared) {
        platform::writeIfPossible([&] {
            local.writeString(u"Qesto", resumeKey(), candidate);
            local.writeString(u"Qesto", resumeNewYearKey(), m_state.newYear ? u"1"_s : u"0"_s);
        });
        PrevodVozidel1(source);
        if (m_state.success)
            PrevodVozidel2(source);
        platform::writeIfPossible([&] {
            local.deleteKey(u"Qesto", resumeKey());
            local.deleteKey(u"Qesto", resumeNewYearKey());
        });
    }

    if (m_busy)
        m_busy(false);
    if (!m_state.success) {
        m_messages.error(u"Data se nepodařilo převést z adresáře: \n\n"_s + source);
    } else if (!m_failed.isEmpty()) {
        m_messages.error(u"Data byla převedena z adresáře: \n\n"_s + source +
                         u"\n\nSoubory těchto zpracování se nepodařilo zkopírovat, "
                         u"zpracování nebude možné otevřít:\n"_s +
                         m_failed.join(u'\n'));
    } else {
        m_messages.information(u"Data byla převedena z adresáře: \n\n"_s + source);
    }
}

void Conversion::restoreEmptyList()
{
    m_list.close();
    const QString templates = m_paths.FileDir + data::DataFiles::templateDir();
    // What cannot be put back shows as a list that does not open.
    platform::writeIfPossible([&] {
        data::KopSezn1(templates, m_paths.FileDir, data::ListGroup::List);
        data::KopSezn1(templates, m_paths.FileDir, data::ListGroup::Passwords);
    });
    m_list.attach();
}

void Conversion::PrevodVozidel1(const QString &source)
{
    m_list.close();
    // The copy replaces the list with its index files; the upgrade below
    // adds the index on Nazev again where the earlier list lacks it.
    try {
        data::KopSezn1(source, m_paths.FileDir, data::ListGroup::List);
        data::KopSezn1(source, m_paths.FileDir, data::ListGroup::Passwords);
    } catch (const platform::Error &) {
        m_state.success = false;
    }
    m_list.attach();
    if (!m_list.isOpen())
        m_state.success = false;

    for (const registry::Settlement &entry : m_list.entries()) {
        // A directory that is not a plain name would copy from and into
        // places outside the two data roots.
        if (!FileOps::isPlainName(entry.Adresar)) {
            m_state.success = false;
            continue;
        }
        const QString dir = source + entry.Adresar + u'\\';
        for (const char16_t *name : {u"Prp.DB", u"Vdvl.DB", u"Vvdp.DB"}) {
            if (!FileOps::fileExists(dir + QString::fromUtf16(name)))
                m_state.success = false;
        }
    }
    if (!m_state.success)
        restoreEmptyList();
}

void Conversion::PrevodVozidel2(const QString &source)
{
    for (const registry::Settlement &entry : m_list.entries()) {
        const QString from = source + entry.Adresar + u'\\';
        const QString to = m_paths.FileDir + entry.Adresar + u'\\';
        bool copied = FileOps::forceDirectories(to);
        QStringList files = data::DataFiles::settlementFiles();
        files.append(entry.Adresar + u".ini"_s);
        for (const QString &name : std::as_const(files)) {
            // Files an earlier version did not have are created when the
            // settlement is opened; a file that is there must arrive.
            if (copied && FileOps::fileExists(from + name))
                copied = FileOps::copyFile(from + name, to + name, true);
        }

        platform::IniFile ini(FileOps::resolve(to + entry.Adresar + u".ini"_s));
        try {
            ini.writeInteger(requestSection(), u"Ano", m_state.newYear ? 1 : 2);
        } catch (const platform::Error &) {
            copied = false;
        }
        // Paths of the earlier installation would only mislead here.
        platform::writeIfPossible([&] {
            if (!ini.readString(entry.Adresar, u"Gavrel").isEmpty()) {
                ini.writeString(entry.Adresar, u"Gavrel", u"");
                ini.writeString(entry.Adresar, u"GavrelCislo", u"");
            }
            ini.eraseSection(u"Cesty");
            ini.eraseSection(u"Prenos");
        });
        if (!copied)
            m_failed.append(entry.Adresar + u' ' + entry.Nazev);
    }
}

bool Conversion::acceptChosenFile(const QString &chosen)
{
    if (!samePath(FileOps::directoryOf(chosen), m_paths.FileDirLocal))
        return true;
    m_messages.information(refusedMessage());
    return false;
}

bool Conversion::acceptClose(const QString &edit)
{
    if (!edit.isEmpty() && samePath(FileOps::directoryOf(edit), m_paths.FileDirLocal)) {
        m_messages.information(refusedMessage());
        return false;
    }
    if (!edit.isEmpty() && !FileOps::fileExists(edit)) {
        m_messages.information(u"Soubor "_s + edit + u" neexistuje."_s);
        return false;
    }
    return true;
}

void Conversion::windowClosed(const QString &edit, bool convertData, bool newYear)
{
    m_state.candidate = edit;
    m_state.convertData = convertData && !edit.isEmpty();
    m_state.newYear = newYear;
    FileOps::setCurrentDir(m_paths.FileDir);
}

} // namespace settlement
