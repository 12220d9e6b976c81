#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace paradox {

// Records of a password-protected table, decrypted by pxlib, as raw bytes in
// the table's chain order. Throws TableError when pxlib cannot read the file.
QList<QByteArray> readProtectedRecords(const QString &path, const QString &password, int recordSize,
                                       const QString &displayName);

} // namespace paradox
