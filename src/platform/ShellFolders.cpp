#include "platform/ShellFolders.h"

#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>

#include <shlobj.h>
#endif

namespace platform::ShellFolders {
namespace {

QString withoutTrailingSeparator(QString path)
{
    // A bare root ("/", "C:\") keeps its separator: without it, it is no
    // longer the same folder.
    while (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\')) &&
           !(path.size() == 3 && path[1] == u':'))
        path.chop(1);
    return path;
}

QString fromEnvironment(const char *name)
{
    if (!qEnvironmentVariableIsSet(name))
        return {};
    return withoutTrailingSeparator(QDir::toNativeSeparators(qEnvironmentVariable(name)));
}

#ifdef Q_OS_WIN
QString knownFolder(REFKNOWNFOLDERID id)
{
    PWSTR raw = nullptr;
    QString path;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &raw)) && raw)
        path = QString::fromWCharArray(raw);
    CoTaskMemFree(raw);
    return withoutTrailingSeparator(path);
}
#else
QString standardLocation(QStandardPaths::StandardLocation location)
{
    return withoutTrailingSeparator(QDir::toNativeSeparators(QStandardPaths::writableLocation(location)));
}
#endif

} // namespace

QString commonAppData()
{
    if (qEnvironmentVariableIsSet("QESTO_COMMON_APPDATA"))
        return fromEnvironment("QESTO_COMMON_APPDATA");
#ifdef Q_OS_WIN
    return knownFolder(FOLDERID_ProgramData);
#else
    return standardLocation(QStandardPaths::GenericDataLocation);
#endif
}

QString personal()
{
    if (qEnvironmentVariableIsSet("QESTO_PERSONAL"))
        return fromEnvironment("QESTO_PERSONAL");
#ifdef Q_OS_WIN
    return knownFolder(FOLDERID_Documents);
#else
    return standardLocation(QStandardPaths::DocumentsLocation);
#endif
}

} // namespace platform::ShellFolders
