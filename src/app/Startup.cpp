#include "app/Startup.h"

#include "data/DataFiles.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/Messages.h"
#include "settlement/Version.h"

using namespace Qt::Literals::StringLiterals;

namespace app {

namespace FileOps = platform::FileOps;
using platform::IniFile;

namespace {

IniFile iniAt(const QString &storedPath)
{
    return IniFile(FileOps::resolve(storedPath));
}

} // namespace

Startup::Startup(settlement::AppPaths &paths, platform::IMessages &messages, IStartupHooks &hooks)
    : m_paths(paths), m_messages(messages), m_hooks(hooks)
{}

int Startup::readDataVersion(const QString &dataRoot)
{
    return iniAt(dataRoot + data::DataFiles::versionIni()).readInteger(u"Verze", u"Data", 0);
}

QString Startup::versionMessage(int dataVersion)
{
    if (dataVersion < settlement::Version::Number)
        return u"Máte novější verzi programu než adresář Data.\nNainstalujte program znovu."_s;
    if (dataVersion > settlement::Version::Number)
        return u"Máte starší verzi programu než adresář Data.\nNainstalujte program znovu."_s;
    return {};
}

WindowPlacement Startup::initialWindowSize(QSize screen)
{
    WindowPlacement p;
    p.width = screen.width() <= 640 ? 640 : 800;
    p.height = screen.height() <= 480 ? 453 : 573;
    return p;
}

WindowPlacement Startup::restorePlacement(const QString &settingsIni, QSize screen,
                                          const WindowPlacement &current)
{
    const IniFile ini = iniAt(settingsIni);
    WindowPlacement p = current;
    const int maximized = ini.readInteger(u"Qesto", u"Maximized", -1);
    if (maximized == -1) {
        if (screen.width() <= 800)
            p.state = WindowPlacement::State::Maximized;
        return p;
    }
    p.top = ini.readInteger(u"Qesto", u"Top", current.top);
    p.left = ini.readInteger(u"Qesto", u"Left", current.left);
    p.width = ini.readInteger(u"Qesto", u"Width", current.width);
    p.height = ini.readInteger(u"Qesto", u"Height", current.height);
    if (maximized == 0)
        p.state = WindowPlacement::State::Normal;
    else if (maximized == 1)
        p.state = WindowPlacement::State::Maximized;
    return p;
}

WindowPlacement Startup::formCreate(QSize screen)
{
    WindowPlacement placement = initialWindowSize(screen);
    if (!m_paths.dataDirFound)
        return placement;
    FileOps::setCurrentDir(m_paths.FileDirLocal);

    m_flags.localDataVersion = readDataVersion(m_paths.FileDirLocal);
    const QString warning = versionMessage(m_flags.localDataVersion);
    if (!warning.isEmpty())
        m_messages.error(warning);

    const QString settings = m_paths.localFile(data::DataFiles::settingsIni());
    placement = restorePlacement(settings, screen, placement);
    m_flags.TypPisma = iniAt(settings).readInteger(u"Qesto", u"TypPisma", 0);
    return placement;
}

void Startup::switchToNetworkRoot()
{
    const IniFile local = iniAt(m_paths.localFile(data::DataFiles::settingsIni()));
    if (local.readString(u"Qesto", u"Net") != u"1")
        return;
    const QString path = local.readString(u"Qesto", u"Path");
    if (path.isEmpty())
        return;

    // A path typed without its final "\" still names the directory.
    m_paths.FileDir = FileOps::withTrailingSeparator(path);
    if (!FileOps::fileExists(m_paths.dataFile(data::DataFiles::listTable()))) {
        m_messages.error(u"Adresář "_s + path + u"\nneexistuje, nebo není dostupný na síťové jednotce."_s);
        m_paths.FileDir = m_paths.FileDirLocal;
    }
    m_hooks.disconnectDatabases();
    m_hooks.attachDataRoot(m_paths.FileDir);
    m_hooks.removeStaleLockFiles(m_paths.FileDir);
    m_hooks.upgradeListFiles(m_paths.FileDir);
}

bool Startup::refreshNetworkTemplates()
{
    const QString target = m_paths.dataFile(data::DataFiles::templateDir());
    if (FileOps::dirExists(target)) {
        m_flags.networkDataVersion = readDataVersion(m_paths.FileDir);
    } else {
        FileOps::createDir(target);
        m_flags.networkDataVersion = 0;
    }

    bool ok = true;
    if (m_flags.networkDataVersion < m_flags.localDataVersion) {
        m_hooks.setBusy(true);
        const QString source = m_paths.localFile(data::DataFiles::templateDir());
        QStringList failed;
        const auto copy = [&](const QString &name, bool optional) {
            if (optional && !FileOps::fileExists(source + name))
                return;
            if (!FileOps::copyFile(source + name, target + name, true))
                failed.append(name);
        };
        for (const QString &name : data::DataFiles::listFiles() + data::DataFiles::passwordFiles())
            copy(name, true);
        for (const QString &name : data::DataFiles::settlementFiles())
            copy(name, false);
        // The version is the promise that the templates are current; it is
        // written only when they are.
        if (failed.isEmpty()) {
            try {
                iniAt(m_paths.dataFile(data::DataFiles::versionIni()))
                    .writeInteger(u"Verze", u"Data", m_flags.localDataVersion);
            } catch (const platform::Error &) {
                failed.append(data::DataFiles::versionIni());
            }
        }
        m_hooks.setBusy(false);
        if (!failed.isEmpty()) {
            ok = false;
            m_messages.error(u"Šablony tabulek v adresáři "_s + target +
                             u"\nnelze aktualizovat. Chybí nebo nelze zapsat:\n"_s + failed.join(u", "));
        }
    }
    if (m_flags.localDataVersion < m_flags.networkDataVersion)
        m_messages.error(u"Nainstalujte na tento počítač nejnovější verzi programu."_s);
    return ok;
}

Startup::Activation Startup::formActivate()
{
    if (!m_flags.pending)
        return Activation::AlreadyDone;
    m_flags.pending = false;
    if (!m_paths.dataDirFound) {
        m_messages.error(u"Chyba při zjišťování adresáře s daty.\nNainstalujte program znovu."_s);
        return Activation::NoDataDirectory;
    }

    switchToNetworkRoot();

    if (iniAt(m_paths.localFile(data::DataFiles::settingsIni())).readString(u"Qesto", u"Net").isEmpty())
        m_hooks.chooseDataWork(m_paths);

    if (!settlement::samePath(m_paths.FileDir, m_paths.FileDirLocal) &&
        FileOps::fileExists(m_paths.dataFile(data::DataFiles::listTable())))
        refreshNetworkTemplates();

    m_hooks.previousVersionCheck();
    return m_hooks.openSettlementSelection() ? Activation::Ready : Activation::Quit;
}

bool Startup::formClose(const WindowPlacement &placement)
{
    if (!m_paths.dataDirFound)
        return true;
    IniFile ini = iniAt(m_paths.localFile(data::DataFiles::settingsIni()));
    try {
        if (placement.state == WindowPlacement::State::Normal) {
            ini.writeInteger(u"Qesto", u"Top", placement.top);
            ini.writeInteger(u"Qesto", u"Left", placement.left);
            ini.writeInteger(u"Qesto", u"Width", placement.width);
            ini.writeInteger(u"Qesto", u"Height", placement.height);
            ini.writeInteger(u"Qesto", u"Maximized", 0);
        } else {
            ini.writeInteger(u"Qesto", u"Maximized", 1);
        }
        ini.writeInteger(u"Qesto", u"TypPisma", m_flags.TypPisma);
    } catch (const platform::Error &) {
        // The program's own words: the reason is nearly always a data
        // folder the installation left without rights.
        FileOps::createEmptyFile(m_paths.localFile(data::DataFiles::writeFailureMarker()));
        m_messages.error(u"Nemáte oprávnění zapisovat do adresáře s daty.\nNainstalujte program znovu."_s);
        return false;
    }
    return true;
}

} // namespace app
