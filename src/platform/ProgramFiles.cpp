#include "platform/ProgramFiles.h"

#include "platform/FileOps.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace platform::ProgramFiles {

QStringList searchFolders(const QString &programDir)
{
    // The program's folder may come as a stored path, with "\" separators.
    const QString dir = QDir::cleanPath(FileOps::nativePath(programDir));
    QStringList folders{dir, QDir::cleanPath(dir + u"/../share/qesto"_s)};
#ifdef QESTO_INSTALL_DATADIR
    const QString built = QDir::cleanPath(QStringLiteral(QESTO_INSTALL_DATADIR));
    if (!folders.contains(built))
        folders.append(built);
#endif
    return folders;
}

QString find(const QString &name, const QString &programDir)
{
    if (name.isEmpty() || programDir.isEmpty())
        return QString();
    for (const QString &folder : searchFolders(programDir)) {
        const QString path = folder + u'/' + name;
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

QString locate(const QString &name)
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString found = find(name, programDir);
    return found.isEmpty() ? QDir::cleanPath(programDir + u'/' + name) : found;
}

} // namespace platform::ProgramFiles
