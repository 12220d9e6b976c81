#pragma once

#include <QString>

namespace app {

// The start-up state every part of the program reads its directories from.
// Directory values are stored paths ("\" separators, see platform/FileOps.h)
// ending with "\", except CommonAppData and Personal which have no trailing
// separator. One object is created at start-up and handed to whoever needs
// it.
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

    bool dataDirFound = false;
    bool startupPending = true;
    int localDataVersion = 0;
    int networkDataVersion = 0;
    int TypPisma = 0;

    // Finds the data root: the directory Data.ini in programDir names, or
    // without one the default directory below commonAppData. Touches no
    // process state; the caller makes the found root the current directory.
    static AppPaths resolve(const QString &programDir, const QString &commonAppData, const QString &personal);

    // "\Morvatek\Qesto 2015\": the default data directory below
    // CommonAppData and the default backup folder below Personal.
    static QString defaultSubdirectory();

    // Default path template for a backup. kind: 1 below CommonAppData, 2
    // below Personal, 3 on a drive still to be chosen, 4 none. With a file
    // name the backup folder and suffix + name + ".zip" are appended; name is
    // the settlement's directory name or NazevSb1.
    QString CestyTyp1(int kind, bool withFileName, const QString &suffix, const QString &name) const;

    // The real path a template stands for. mode 1 puts a relative path into
    // the local backup folder, mode 10 refuses it. When the template cannot
    // be resolved the result is the Czech text to show in place of the path
    // and ok (when given) is false.
    QString CestyTyp2(const QString &templ, int mode, bool *ok = nullptr) const;

    // The template to store for a real path: CommonAppData or Personal at its
    // start becomes its placeholder.
    QString CestyTyp3(const QString &path) const;

    // Initial directory of a file dialog. kind: 1 the directory holding the
    // local data root, 2 the folder nearest to path among the known ones, 3
    // the drive of FileDir, 4 the local data root, 5 its drive. Anything not
    // an existing directory gives FileDirLocal.
    QString DirTyp(int kind, const QString &path) const;

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
QString NazevSb1(const QString &Tiv, const QString &Jmd, const QString &Prk, const QString &Ojv,
                 const QString &dirName);

// Whether path begins with the directory prefix, ignoring letter case and
// whether "\" or "/" separates, and the prefix ends at a name boundary.
bool startsWithPath(const QString &path, const QString &prefix);

// Same directory, ignoring letter case, separator style and a trailing one.
bool samePath(const QString &a, const QString &b);

} // namespace app
