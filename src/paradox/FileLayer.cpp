#include "paradox/FileLayer.h"

#include "paradox/Error.h"
#include "platform/SystemError.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace paradox {

bool FileLayer::openForReading(QFile &file, QString &error) const
{
    if (file.open(QIODevice::ReadOnly))
        return true;
    error = platform::SystemError::translate(file.errorString());
    return false;
}

bool FileLayer::copy(const QString &from, const QString &to, QString &error) const
{
    QFile file(from);
    if (file.copy(to))
        return true;
    error = platform::SystemError::translate(file.errorString());
    return false;
}

bool FileLayer::rename(const QString &from, const QString &to, QString &error) const
{
    QFile file(from);
    if (file.rename(to))
        return true;
    error = platform::SystemError::translate(file.errorString());
    return false;
}

bool FileLayer::remove(const QString &path, QString &error) const
{
    QFile file(path);
    if (file.remove())
        return true;
    error = platform::SystemError::translate(file.errorString());
    return false;
}

bool FileLayer::beforeWrite(const QString &, QString &) const
{
    return true;
}

QByteArray FileLayer::readAll(const QString &path, const QString &displayName) const
{
    QFile file(path);
    QString error;
    if (!openForReading(file, error))
        throw TableError(TableError::Kind::Unreadable,
                         u"Tabulku %1 nelze otevřít: %2"_s.arg(displayName, error));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw TableError(TableError::Kind::Unreadable,
                         u"Tabulku %1 nelze číst: %2"_s.arg(
                             displayName, platform::SystemError::translate(file.errorString())));
    return bytes;
}

const FileLayer &FileLayer::disk()
{
    static const FileLayer layer;
    return layer;
}

} // namespace paradox
