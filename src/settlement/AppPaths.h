#pragma once

#include "platform/PathKinds.h"

#include <QString>

namespace settlement {

using platform::BackupPlace;
using platform::DialogStart;
using platform::RelativePaths;

// The directories every part of the program reads, resolved once at
// start-up. Directory values are stored paths ("\" separators, see
// platform/FileOps.h) ending with "\", except CommonAppData and Personal
// which have no trailing separator. One object is created at start-up;
// only the start itself and the choice of the data root change FileDir, so
// everyone else is handed it const. What the start learns beside the paths
// (versions, whether it has completed) is kept by app::Startup.
class AppPaths
{
public:
    QString FileDirPrg;   // program directory
    QString FileDirLocal; // local data root
    QString FileDir;      // data root in use, local or network
    QString DataDir;      // directory named by Data.ini, else the default one
    QString CommonAppData;
    QString Personal;
    // The directory Data.ini names (after "AdresarPrg" is replaced); empty
    // without Data.ini or with an empty value. Backup paths prefer it.
    QString DataIniDir;
    // Whether a data root with its list was found; without one the program
    // only says so and ends.
    bool dataDirFound = false;

    // Finds the data root: the directory Data.ini in programDir names, or
    // without one the default directory below commonAppData. Touches no
    // process state; the caller makes the found root the current directory.
    static AppPaths resolve(const QString &programDir, const QString &commonAppData, const QString &personal);

    // "\Morvatek\Qesto 2015\": the default data directory below
    // CommonAppData and the default backup folder below Personal.
    static QString defaultSubdirectory();

    // Default path template for a backup in place. With a file name the
    // backup folder (not for BackupPlace::None) and suffix + name + ".zip"
    // are appended; name is the settlement's directory name or NazevSb1.
    QString CestyTyp1(BackupPlace place, bool withFileName, const QString &suffix, const QString &name) const;

    // The real path a template stands for; relative says what becomes of a
    // path with neither drive nor placeholder. When the template cannot be
    // resolved the result is the Czech text to show in place of the path and
    // ok (when given) is false.
    QString CestyTyp2(const QString &templ, RelativePaths relative, bool *ok = nullptr) const;

    // The template to store for a real path: CommonAppData or Personal at its
    // start becomes its placeholder.
    QString CestyTyp3(const QString &path) const;

    // Initial directory of a file dialog; path matters only for
    // DialogStart::NearestKnownFolder. Anything not an existing directory
    // gives FileDirLocal.
    QString DirTyp(DialogStart start, const QString &path) const;

    // CommonAppData + "\Morvatek\" when the template lies below it, else
    // fallback.
    QString DirTyp2(const QString &templ, const QString &fallback) const;

    // Local and in-use files as stored paths.
    QString localFile(const QString &relative) const { return FileDirLocal + relative; }
    QString dataFile(const QString &relative) const { return FileDir + relative; }
};

// Archive base name of a settlement from its company data: the person's
// title, first name and surname when any is filled and the business name is
// not, else the business name alone; characters that a file name cannot hold
// removed. An empty result gives dirName.
// The company data fields are Tiv, Jmd, Prk and Ojv.
QString NazevSb1(const QString &title, const QString &firstName, const QString &surname,
                 const QString &businessName, const QString &dirName);

// Whether path begins with the directory prefix, ignoring letter case and
// whether "\" or "/" separates, and the prefix ends at a name boundary.
bool startsWithPath(const QString &path, const QString &prefix);

// Same directory, ignoring letter case, separator style and a trailing one.
bool samePath(const QString &a, const QString &b);

} // namespace settlement
