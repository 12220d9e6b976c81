#include "backup/ArchivePlaces.h"

#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/Messages.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace backup {

namespace FileOps = platform::FileOps;

namespace {

const QString kCesty = u"Cesty"_s;

platform::IniFile iniOf(const SettlementPlace &place)
{
    return platform::IniFile(FileOps::resolve(place.iniFile));
}

QString folderOf(const QString &path)
{
    const int cut = int(std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/')));
    return cut < 0 ? QString() : path.left(cut + 1);
}

} // namespace

ArchivePlaces::ArchivePlaces(Kind kind, const IPathTemplates &templates, SettlementPlace place,
                             platform::IMessages &messages)
    : m_kind(kind), m_templates(templates), m_place(std::move(place)), m_messages(messages)
{}

bool ArchivePlaces::isComplaint(const QString &text)
{
    return text == u"Nastavte správně cestu." || text == u"Nastavte písmeno disku (např. F:).";
}

void ArchivePlaces::load()
{
    const platform::IniFile ini = iniOf(m_place);
    m_companyName = ini.readBool(kCesty, u"Nazev", false);
    m_rebuild = ini.readBool(kCesty, u"Obnovit", false);
    m_paths.clear();
    for (int i = 0; i < RememberedPaths; ++i) {
        const QString path = ini.readString(kCesty, QString::number(i));
        if (!path.isEmpty() && !m_paths.contains(path))
            m_paths.append(path);
    }
    m_pathText = m_paths.isEmpty() ? m_templates.defaultArchive(platform::BackupPlace::DataFolder, stem())
                                   : m_paths.first();
    refresh();
}

void ArchivePlaces::save() const
{
    if (m_erased)
        return;
    platform::IniFile ini = iniOf(m_place);
    platform::writeIfPossible([&] {
        ini.writeBool(kCesty, u"Nazev", m_companyName);
        if (m_kind == Kind::Backup)
            ini.writeBool(kCesty, u"Obnovit", m_rebuild);
        for (int i = 0; i < RememberedPaths; ++i) {
            if (i < m_paths.size())
                ini.writeString(kCesty, QString::number(i), m_paths.at(i));
            else
                ini.deleteKey(kCesty, QString::number(i));
        }
    });
}

void ArchivePlaces::setPathText(const QString &text)
{
    m_pathText = text;
    refresh();
}

void ArchivePlaces::refresh()
{
    bool ok = false;
    m_fullPath = m_templates.expand(m_pathText, &ok);
    m_fullValid = ok;
}

QString ArchivePlaces::stem() const
{
    return m_companyName && !m_place.companyFileName.isEmpty() ? m_place.companyFileName : m_place.dirName;
}

void ArchivePlaces::chooseLocation(platform::BackupPlace place)
{
    setPathText(m_templates.defaultArchive(place, stem()));
}

QString ArchivePlaces::customFolder() const
{
    return iniOf(m_place).readString(kCesty, u"Vlastni");
}

bool ArchivePlaces::chooseCustom()
{
    const QString folder = customFolder();
    if (folder.isEmpty())
        return false;
    setCustomFolder(folder);
    return true;
}

QString ArchivePlaces::chooserStart() const
{
    const QString folder = customFolder();
    return folder.isEmpty() ? m_templates.initialDir(platform::DialogStart::DataRootDrive, QString())
                            : folder;
}

void ArchivePlaces::setCustomFolder(const QString &folder)
{
    const QString withSeparator = FileOps::withTrailingSeparator(folder);
    platform::writeIfPossible([&] { iniOf(m_place).writeString(kCesty, u"Vlastni", withSeparator); });
    const QString full = withSeparator + stem() + u".zip"_s;
    m_pathText = m_templates.toTemplate(full);
    refresh();
}

QString ArchivePlaces::fileDialogDir() const
{
    if (!m_fullValid)
        return m_templates.initialDir(platform::DialogStart::LocalDataRoot, QString());
    const QString folder = folderOf(m_fullPath);
    if (!folder.isEmpty() && FileOps::dirExists(folder))
        return folder;
    return m_templates.initialDir(platform::DialogStart::NearestKnownFolder, m_fullPath);
}

void ArchivePlaces::setChosenFile(const QString &path)
{
    m_pathText = m_templates.toTemplate(path);
    refresh();
}

void ArchivePlaces::remember()
{
    if (m_pathText.isEmpty())
        return;
    m_paths.removeAll(m_pathText);
    m_paths.prepend(m_pathText);
}

bool ArchivePlaces::erasePaths(bool other)
{
    if (!m_messages.confirm(other ? u"Opravdu vymazat uložené cesty - ostatní ?"_s
                                  : u"Opravdu vymazat uložené cesty ?"_s))
        return false;
    try {
        iniOf(m_place).eraseSection(other ? u"Prenos"_s : kCesty);
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
        return false;
    }
    m_erased = true;
    m_messages.information(u"Cesty byly vymazány."_s);
    return true;
}

} // namespace backup
