#pragma once

#include "data/TableDefs.h"

#include <QString>
#include <QStringList>

// File names of the data root, its template directory and the settlements;
// the table files themselves come from the table definitions.
namespace data::DataFiles {

// The eleven files of a settlement, in the order every operation walks them.
inline const QStringList &settlementFiles()
{
    return settlementFileNames();
}

// The settlement list with its indexes (group 1 of the list copy).
inline const QStringList &listFiles()
{
    return listFileNames(ListGroup::List);
}

// The settlement passwords (group 2 of the list copy).
inline const QStringList &passwordFiles()
{
    return listFileNames(ListGroup::Passwords);
}

inline QString listTable()
{
    return QStringLiteral("Data.DB");
}

// Relative to the data root; paths are stored with "\".
inline QString templateDir()
{
    return QStringLiteral("Data\\");
}

// The data version of a template directory, by name and from the data root.
inline QString versionIniName()
{
    return QStringLiteral("Verze.ini");
}

inline QString versionIni()
{
    return templateDir() + versionIniName();
}

inline QString settingsIni()
{
    return QStringLiteral("Qesto.ini");
}

inline QString dataIni()
{
    return QStringLiteral("Data.ini");
}

// Left behind when the settings could not be saved.
inline QString writeFailureMarker()
{
    return QStringLiteral("Verze.txt");
}

// A settlement's INI file relative to the data root: "D1\D1.ini".
inline QString settlementIni(const QString &dirName)
{
    return dirName + u'\\' + dirName + u".ini";
}

inline QString backupDir()
{
    return QStringLiteral("Zaloha\\");
}

} // namespace data::DataFiles
