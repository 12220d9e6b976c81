#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testsupport {

// Every byte of the file; empty when it cannot be read.
inline QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace testsupport
