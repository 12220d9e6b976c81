#include "registry/NetworkChoice.h"

#include "data/DataFiles.h"
#include "data/ListFiles.h"
#include "data/TableDefs.h"
#include "paradox/Table.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/Messages.h"
#include "registry/SettlementList.h"

#include <QDir>
#include <QStorageInfo>

using namespace Qt::StringLiterals;
using platform::IniFile;
namespace FileOps = platform::FileOps;

namespace registry {

namespace {

bool isDriveLetter(const QString &drive)
{
    return (drive.size() == 1 || (drive.size() == 2 && drive.at(1) == u':')) && drive.at(0).isLetter();
}

// Joins in the separator style of the root, so a Linux mount point keeps "/".
QString separatorOf(const QString &root)
{
    return root.contains(u'\\') ? u"\\"_s : u"/"_s;
}

} // namespace

NetworkChoice::NetworkChoice(DataRoots roots, platform::IMessages &messages, SettlementList &list,
                             IRegistryHooks *hooks)
    : m_roots(std::move(roots)), m_messages(messages), m_list(list), m_hooks(hooks ? *hooks : m_noHooks)
{
    const IniFile local(FileOps::resolve(m_roots.FileDirLocal + data::DataFiles::settingsIni()));
    const QString net = local.readString(u"Qesto", u"Net");
    m_network = net == u"1";
    const QString stored = local.readString(u"Qesto", u"Path");
    if (!stored.isEmpty())
        m_path = stored + data::DataFiles::listTable();
}

QString NetworkChoice::defaultDirectoryName() const
{
    return u"QESTO"_s + m_roots.yearTag;
}

QStringList NetworkChoice::drives()
{
    QStringList out;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &v : volumes) {
        if (!v.isValid() || !v.isReady() || v.isReadOnly())
            continue;
        const QString root = QDir::toNativeSeparators(v.rootPath());
        if (root.size() >= 2 && root.at(1) == u':') {
            out.append(root.left(1).toUpper());
            continue;
        }
        // Kernel and runtime file systems cannot hold data shared with others.
        static const QStringList system = {u"/proc"_s, u"/sys"_s,  u"/dev"_s,
                                           u"/run"_s,  u"/boot"_s, u"/snap"_s};
        const bool skip = std::any_of(system.cbegin(), system.cend(), [&root](const QString &s) {
            return root == s || root.startsWith(s + u'/');
        });
        if (!skip)
            out.append(root);
    }
    out.removeDuplicates();
    out.sort();
    return out;
}

QString NetworkChoice::driveRoot(const QString &drive)
{
    if (isDriveLetter(drive))
        return drive.left(1).toUpper() + u":\\"_s;
    if (drive.isEmpty())
        return drive;
    const QString sep = separatorOf(drive);
    return drive.endsWith(sep) ? drive : drive + sep;
}

QString NetworkChoice::targetDir(const QString &drive, const QString &directoryName)
{
    const QString root = driveRoot(drive);
    const QString sep = isDriveLetter(drive) ? u"\\"_s : separatorOf(root);
    QString name = directoryName.trimmed();
    while (!name.isEmpty() && FileOps::isSeparator(name.back()))
        name.chop(1);
    while (!name.isEmpty() && FileOps::isSeparator(name.front()))
        name.remove(0, 1);
    return root + name + sep;
}

QString NetworkChoice::directoryPart(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (FileOps::isSeparator(path.at(i)) || path.at(i) == u':')
            return path.left(i + 1);
    }
    return QString();
}

QString NetworkChoice::dialogStartDir() const
{
    const QString dir = directoryPart(m_path);
    if (!dir.isEmpty() && FileOps::dirExists(dir))
        return dir;
    const QString root = FileOps::driveRoot(m_roots.FileDir);
    return !root.isEmpty() && FileOps::dirExists(root) ? root : m_roots.FileDirLocal;
}

bool NetworkChoice::copyData(const QString &drive, const QString &directoryName)
{
    const QString target = targetDir(drive, directoryName);
    if (!m_messages.confirm(u"Opravdu chcete kopírovat data na disk "_s + target))
        return false;
    if (!FileOps::dirExists(target) && !FileOps::createDir(target))
        FileOps::forceDirectories(target);
    if (!FileOps::dirExists(target)) {
        m_messages.error(u"Adresář "_s + target + u" nelze vytvořit na disku "_s + driveRoot(drive) +
                         u"\n\nZkontroluje zda je tento disk dostupný."_s);
        return false;
    }

    m_hooks.setBusy(true);
    const QString templates = m_roots.FileDirLocal + data::DataFiles::templateDir();
    // The empty list goes out from the templates; they must be empty.
    paradox::OpenOptions exclusive = m_list.openOptions();
    exclusive.mode = paradox::OpenMode::Exclusive;
    for (data::TableId id : {data::TableId::Data, data::TableId::Uziv}) {
        try {
            paradox::Table::open(data::tableFilePath(templates, data::tableDef(id).fileName()), exclusive)
                ->empty();
        } catch (const paradox::TableError &) {
        }
    }

    // A list another computer already put there is kept.
    static const QStringList listFiles = {u"Data.DB"_s,  u"Data.PX"_s, u"Data.X02"_s,
                                          u"Data.Y02"_s, u"Uziv.DB"_s, u"Uziv.PX"_s};
    for (const QString &file : listFiles) {
        if (!FileOps::fileExists(target + file))
            FileOps::copyFile(templates + file, target + file, false);
    }

    const QString targetTemplates = target + u"Data"_s + separatorOf(target);
    FileOps::forceDirectories(targetTemplates);
    for (const QString &file : data::settlementFileNames())
        FileOps::copyFile(templates + file, targetTemplates + file, true);
    // The templates are only a spare set there: the start brings any it
    // finds missing or old up to date.
    platform::writeIfPossible([&] {
        data::KopSezn1(templates, targetTemplates, data::ListGroup::List);
        data::KopSezn1(templates, targetTemplates, data::ListGroup::Passwords);
        const IniFile localVersion(FileOps::resolve(templates + data::DataFiles::versionIniName()));
        IniFile(FileOps::resolve(targetTemplates + data::DataFiles::versionIniName()))
            .writeInteger(u"Verze", u"Data", localVersion.readInteger(u"Verze", u"Data", 0));
    });

    m_network = true;
    m_path = target + data::DataFiles::listTable();
    m_hooks.setBusy(false);
    m_messages.information(u"Data byla nakopírována na disk "_s + target);
    return true;
}

void NetworkChoice::apply()
{
    IniFile local(FileOps::resolve(m_roots.FileDirLocal + data::DataFiles::settingsIni()));
    const QString dir = directoryPart(m_path);
    platform::writeIfPossible([&] {
        local.writeString(u"Qesto", u"Net", m_network ? u"1" : u"0");
        if (m_network)
            local.writeString(u"Qesto", u"Path", dir);
    });

    m_roots.FileDir = m_roots.FileDirLocal;
    if (m_network && !dir.isEmpty()) {
        m_roots.FileDir = dir;
        if (!FileOps::fileExists(m_roots.FileDir + data::DataFiles::listTable())) {
            m_messages.error(u"Adresář "_s + dir + u"\nneexistuje, nebo není dostupný na síťové jednotce."_s);
            m_roots.FileDir = m_roots.FileDirLocal;
        }
    }

    m_hooks.disconnectSettlementDatabase();
    m_list.close();
    m_hooks.attachDataRoot(m_roots.FileDir);
    m_list.attach();
    FileOps::setCurrentDir(m_roots.FileDir);
}

} // namespace registry
