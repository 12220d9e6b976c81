#pragma once

#include "backup/ArchivePlaces.h"
#include "settlement/AppPaths.h"

namespace settlement {

// The backup and restore windows' view of the program's path templates.
class AppPathTemplates : public backup::IPathTemplates
{
public:
    explicit AppPathTemplates(const AppPaths &paths) : m_paths(paths) {}

    QString defaultArchive(BackupPlace place, const QString &stem) const override
    {
        return m_paths.CestyTyp1(place, true, QString(), stem);
    }
    QString expand(const QString &templ, bool *ok) const override
    {
        return m_paths.CestyTyp2(templ, RelativePaths::IntoBackupFolder, ok);
    }
    QString toTemplate(const QString &path) const override { return m_paths.CestyTyp3(path); }
    QString initialDir(DialogStart start, const QString &path) const override
    {
        return m_paths.DirTyp(start, path);
    }
    QString dataRoot() const override { return m_paths.FileDir; }

private:
    const AppPaths &m_paths;
};

} // namespace settlement
