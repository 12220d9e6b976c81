#pragma once

#include "app/AppPaths.h"
#include "backup/ArchivePlaces.h"

namespace app {

// The backup and restore windows' view of the program's path templates.
class AppPathTemplates : public backup::IPathTemplates
{
public:
    explicit AppPathTemplates(const AppPaths &paths) : m_paths(paths) {}

    QString defaultArchive(int kind, const QString &stem) const override
    {
        return m_paths.CestyTyp1(kind, true, QString(), stem);
    }
    QString expand(const QString &templ, bool *ok) const override { return m_paths.CestyTyp2(templ, 1, ok); }
    QString toTemplate(const QString &path) const override { return m_paths.CestyTyp3(path); }
    QString initialDir(int kind, const QString &path) const override { return m_paths.DirTyp(kind, path); }
    QString dataRoot() const override { return m_paths.FileDir; }

private:
    const AppPaths &m_paths;
};

} // namespace app
