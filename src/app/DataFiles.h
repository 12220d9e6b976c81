#pragma once

#include <QString>
#include <QStringList>

// File names of the data root, its template directory and the settlements,
// kept in one place.
namespace app::DataFiles {

// The eleven files of a settlement, in the order every operation walks them.
inline QStringList settlementFiles()
{
    return {QStringLiteral("Dmt.DB"),   QStringLiteral("Prp.DB"),  QStringLiteral("Vdvl.DB"),
            QStringLiteral("Vpkv.DB"),  QStringLiteral("Vpz.DB"),  QStringLiteral("Vpz.PX"),
            QStringLiteral("Vvdp.DB"),  QStringLiteral("Vdvs.DB"), QStringLiteral("Mzd11.DB"),
            QStringLiteral("Mzd11.PX"), QStringLiteral("Vpkb.DB")};
}

// The settlement list with its indexes (group 1 of the list copy).
inline QStringList listFiles()
{
    return {QStringLiteral("Data.DB"),  QStringLiteral("Data.PX"),  QStringLiteral("Data.X02"),
            QStringLiteral("Data.X03"), QStringLiteral("Data.Y02"), QStringLiteral("Data.Y03")};
}

// The settlement passwords (group 2 of the list copy).
inline QStringList passwordFiles()
{
    return {QStringLiteral("Uziv.DB"), QStringLiteral("Uziv.PX")};
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

inline QString versionIni()
{
    return QStringLiteral("Data\\Verze.ini");
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

} // namespace app::DataFiles
