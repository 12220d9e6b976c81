#include "platform/SystemError.h"

#include "platform/FileOps.h"

#include <QStringList>

#include <array>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace Qt::StringLiterals;

namespace platform::SystemError {
namespace {

enum class Cause
{
    None,
    DiskFull,
    Permission,
    ReadOnly,
    InUse,
    Missing,
    DeviceError,
};

QString sentence(Cause cause)
{
    switch (cause) {
    case Cause::DiskFull:
        return u"Na disku není dost místa."_s;
    case Cause::Permission:
        return u"Chybí oprávnění k souboru nebo složce."_s;
    case Cause::ReadOnly:
        return u"Disk nebo složka je jen pro čtení."_s;
    case Cause::InUse:
        return u"Soubor právě používá jiný program."_s;
    case Cause::Missing:
        return u"Soubor nebo složka neexistuje."_s;
    case Cause::DeviceError:
        return u"Při čtení nebo zápisu na disk došlo k chybě zařízení."_s;
    case Cause::None:
        break;
    }
    return {};
}

#ifdef _WIN32
Cause causeOf(int code)
{
    switch (DWORD(code)) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Cause::DiskFull;
    case ERROR_ACCESS_DENIED:
        return Cause::Permission;
    case ERROR_WRITE_PROTECT:
        return Cause::ReadOnly;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return Cause::InUse;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return Cause::Missing;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
        return Cause::DeviceError;
    default:
        return Cause::None;
    }
}

QString systemText(int code)
{
    return qt_error_string(code);
}

// The Windows codes worth recognising in a text Qt already formatted.
constexpr std::array knownCodes{ERROR_DISK_FULL,      ERROR_HANDLE_DISK_FULL,  ERROR_ACCESS_DENIED,
                                ERROR_WRITE_PROTECT,  ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION,
                                ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,    ERROR_GEN_FAILURE};
#else
Cause causeOf(int code)
{
    switch (code) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
        return Cause::DiskFull;
    case EACCES:
    case EPERM:
        return Cause::Permission;
    case EROFS:
        return Cause::ReadOnly;
    case EBUSY:
    case ETXTBSY:
        return Cause::InUse;
    case ENOENT:
    case ENOTDIR:
        return Cause::Missing;
    case EIO:
        return Cause::DeviceError;
    default:
        return Cause::None;
    }
}

QString systemText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

constexpr std::array knownCodes{ENOSPC,
                                EFBIG,
                                EACCES,
                                EPERM,
                                EROFS,
                                EBUSY,
                                ETXTBSY,
                                ENOENT,
                                ENOTDIR,
                                EIO
#ifdef EDQUOT
                                ,
                                EDQUOT
#endif
};
#endif

} // namespace

int lastCode() noexcept
{
#ifdef _WIN32
    return int(GetLastError());
#else
    return errno;
#endif
}

QString reason(int code)
{
    // 0 is no error, and a negative code stands for a failure without one.
    if (code <= 0)
        return {};
    const QString czech = sentence(causeOf(code));
    return czech.isEmpty() ? systemText(code) : czech;
}

QString translate(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return text;
    for (const int code : knownCodes) {
        const QString known = systemText(int(code));
        if (!known.isEmpty() && trimmed.compare(known, Qt::CaseInsensitive) == 0)
            return sentence(causeOf(int(code)));
    }
    // Qt's own wording when the system gave no code, and the one left when a
    // descriptor was already closed: nothing the user can act on, but they
    // should not read English.
    static const QStringList unknown{u"Unknown error"_s, u"Bad file descriptor"_s};
    for (const QString &u : unknown) {
        if (trimmed.compare(u, Qt::CaseInsensitive) == 0)
            return u"Systém neuvedl důvod chyby."_s;
    }
    // Qt puts the system's words last ("Cannot create <file> for output: No
    // space left on device"); the message around the reason names the file.
    if (const qsizetype colon = trimmed.lastIndexOf(u": "_s); colon > 0) {
        const QString tail = trimmed.mid(colon + 2);
        if (const QString czech = translate(tail); czech != tail)
            return czech;
    }
    return text;
}

QString forFile(const QString &path, const QString &why)
{
    const QString shown = FileOps::nativePath(path);
    return why.isEmpty() ? u"Soubor %1"_s.arg(shown) : u"Soubor %1: %2"_s.arg(shown, why);
}

bool isDiskFull(int code) noexcept
{
    return causeOf(code) == Cause::DiskFull;
}

} // namespace platform::SystemError
