#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// pxlib, an independent implementation of the format, as the peer that the
// engine's files are compared with: what it reads from a file, and files it
// writes itself.
namespace pxpeer {

struct Field
{
    QString name;
    int type = 0;
    int size = 0;
};

struct Contents
{
    bool ok = false;
    QList<Field> fields;
    int recordSize = 0;
    int codePage = 0;
    int keyFields = 0;
    QList<QByteArray> records; // raw, decrypted
};

// With an index path pxlib reads the .PX first and finds the records through it.
Contents read(const QString &path, const QString &password = {}, const QString &indexPath = {});

// Writes an unkeyed level 7 table in code page 1250 from raw records;
// encrypted when a password is given.
bool write(const QString &path, const QList<Field> &fields, const QList<QByteArray> &records,
           const QString &password = {});

// Scrambles (or unscrambles) one block of a protected table in place as
// pxlib does: key from the header, blocks numbered from 1.
void scrambleBlock(QByteArray &block, quint32 key, int blockNumber);
void unscrambleBlock(QByteArray &block, quint32 key, int blockNumber);

} // namespace pxpeer
