#include "settlement/AppPaths.h"

#include "data/DataFiles.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "settlement/Version.h"

using namespace Qt::Literals::StringLiterals;

namespace settlement {

using platform::FileOps::isSeparator;
using platform::FileOps::withTrailingSeparator;
namespace FileOps = platform::FileOps;

namespace {

const QString kAdresarDat = QStringLiteral("%AdresarDat%");
const QString kAdresarUziv = QStringLiteral("%AdresarUziv%");
const QString kDisk = QStringLiteral("%Disk%");

QString normalised(const QString &path)
{
    QString out = path;
    out.replace(u'/', u'\\');
    return out;
}

} // namespace

bool startsWithPath(const QString &path, const QString &prefix)
{
    if (prefix.isEmpty() || path.size() < prefix.size())
        return false;
    if (normalised(path.left(prefix.size())).compare(normalised(prefix), Qt::CaseInsensitive) != 0)
        return false;
    // "C:\ProgramDataX" does not lie below "C:\ProgramData".
    return path.size() == prefix.size() || isSeparator(prefix.back()) || isSeparator(path[prefix.size()]);
}

bool samePath(const QString &a, const QString &b)
{
    return normalised(FileOps::withoutTrailingSeparator(a))
               .compare(normalised(FileOps::withoutTrailingSeparator(b)), Qt::CaseInsensitive) == 0;
}

QString AppPaths::defaultSubdirectory()
{
    return u"\\Morvatek\\Qesto "_s + QString::number(Version::TaxYear) + u'\\';
}

AppPaths AppPaths::resolve(const QString &programDir, const QString &commonAppData, const QString &personal)
{
    AppPaths p;
    p.FileDirPrg = withTrailingSeparator(programDir);
    p.FileDirLocal = p.FileDirPrg;
    p.FileDir = p.FileDirPrg;

    const QString dataIni = p.FileDirPrg + data::DataFiles::dataIni();
    if (FileOps::fileExists(dataIni)) {
        QString dir = platform::IniFile(FileOps::resolve(dataIni)).readString(u"Data", u"Qesto").trimmed();
        if (dir.startsWith(u"AdresarPrg", Qt::CaseInsensitive))
            dir = p.FileDirPrg;
        else if (!dir.isEmpty() && !FileOps::hasDrive(dir) && !isSeparator(dir.front()))
            // A relative directory means one beside the program, not one
            // below whatever directory the program was started from.
            dir = p.FileDirPrg + dir;
        dir = withTrailingSeparator(dir);
        p.DataDir = dir;
        p.DataIniDir = dir;
        if (!dir.isEmpty() && FileOps::fileExists(dir + data::DataFiles::listTable())) {
            p.FileDir = p.FileDirLocal = dir;
            p.dataDirFound = true;
        }
    }

    p.CommonAppData = commonAppData;
    if (p.DataDir.isEmpty() && !p.CommonAppData.isEmpty()) {
        p.DataDir = p.CommonAppData + defaultSubdirectory();
        if (FileOps::fileExists(p.DataDir + data::DataFiles::listTable())) {
            p.FileDir = p.FileDirLocal = p.DataDir;
            p.dataDirFound = true;
        }
    }
    p.Personal = personal;
    return p;
}

QString AppPaths::CestyTyp1(BackupPlace place, bool withFileName, const QString &suffix,
                            const QString &name) const
{
    QString result;
    switch (place) {
    case BackupPlace::DataFolder:
        result = DataIniDir.isEmpty() ? kAdresarDat + defaultSubdirectory() : DataIniDir;
        break;
    case BackupPlace::UserFolder:
        result = kAdresarUziv + defaultSubdirectory();
        break;
    case BackupPlace::RemovableMedium:
        result = kDisk + defaultSubdirectory();
        break;
    case BackupPlace::None:
        break;
    }
    if (withFileName) {
        if (place != BackupPlace::None)
            result += data::DataFiles::backupDir();
        result += suffix + name + u".zip";
    }
    return result;
}

QString AppPaths::CestyTyp2(const QString &templ, RelativePaths relative, bool *ok) const
{
    QString result = templ;
    const auto expand = [&result](const QString &placeholder, const QString &folder) {
        if (!result.startsWith(placeholder, Qt::CaseInsensitive))
            return;
        result.remove(0, placeholder.size());
        if (result.isEmpty() || !isSeparator(result.front()))
            result.prepend(u'\\');
        result = folder.isEmpty() ? QString() : folder + result;
    };
    expand(kAdresarDat, CommonAppData);
    expand(kAdresarUziv, Personal);

    if (!result.isEmpty() && !FileOps::hasDrive(result) && !result.contains(u'%')) {
        if (isSeparator(result.front()))
            result.remove(0, 1);
        if (relative == RelativePaths::IntoBackupFolder)
            result = FileDirLocal + data::DataFiles::backupDir() + result;
        else if (relative == RelativePaths::Refuse)
            result.clear();
    }

    QString message;
    if (result.startsWith(kDisk, Qt::CaseInsensitive))
        message = u"Nastavte písmeno disku (např. F:)."_s;
    else if (result.isEmpty() || result.contains(u'%'))
        message = u"Nastavte správně cestu."_s;
    if (ok)
        *ok = message.isEmpty();
    return message.isEmpty() ? result : message;
}

QString AppPaths::CestyTyp3(const QString &path) const
{
    // A QString, not the builder `+` makes: that would point into `rest`
    // after the lambda returns.
    const auto replace = [&path](const QString &folder, const QString &placeholder) -> QString {
        QString rest = path.mid(folder.size());
        rest.replace(u'/', u'\\');
        return placeholder + rest;
    };
    if (startsWithPath(path, CommonAppData))
        return replace(CommonAppData, kAdresarDat);
    if (startsWithPath(path, Personal))
        return replace(Personal, kAdresarUziv);
    return path;
}

QString AppPaths::DirTyp(DialogStart start, const QString &path) const
{
    QString result;
    switch (start) {
    case DialogStart::DataRootParent: {
        const QString root = FileOps::withoutTrailingSeparator(FileDirLocal);
        qsizetype cut = root.size() - 1;
        while (cut >= 0 && !isSeparator(root[cut]))
            --cut;
        result = cut >= 0 ? root.left(cut + 1) : QString();
        break;
    }
    case DialogStart::NearestKnownFolder: {
        result = FileOps::hasDrive(path) ? FileOps::driveRoot(path) : FileDirLocal;
        const QString common = CommonAppData.isEmpty() ? QString() : CommonAppData + u"\\Morvatek\\";
        if (startsWithPath(path, common))
            result = common;
        if (startsWithPath(path, DataIniDir))
            result = DataIniDir;
        const QString personal = Personal.isEmpty() ? QString() : Personal + u"\\Morvatek\\";
        if (startsWithPath(path, personal))
            result = FileOps::dirExists(personal) ? personal : Personal + u'\\';
        break;
    }
    case DialogStart::DataRootDrive:
        result = FileOps::driveRoot(FileDir);
        break;
    case DialogStart::LocalDataRoot:
        result = FileDirLocal;
        break;
    case DialogStart::LocalDataRootDrive:
        result = FileOps::driveRoot(FileDirLocal);
        break;
    }
    if (result.isEmpty() || !FileOps::dirExists(result))
        result = FileDirLocal;
    return result;
}

QString AppPaths::DirTyp2(const QString &templ, const QString &fallback) const
{
    if (!CommonAppData.isEmpty() && startsWithPath(templ, kAdresarDat + u"\\Morvatek\\"))
        return CommonAppData + u"\\Morvatek\\";
    return fallback;
}

QString NazevSb1(const QString &title, const QString &firstName, const QString &surname,
                 const QString &businessName, const QString &dirName)
{
    const auto filled = [](const QString &s) { return !s.trimmed().isEmpty(); };
    const bool person = filled(title) || filled(firstName) || filled(surname);
    QString name;
    if (person && !filled(businessName))
        name = QString(title + u' ' + firstName + u' ' + surname).trimmed();
    else if (!person && filled(businessName))
        name = businessName.trimmed();

    QString cleaned;
    cleaned.reserve(name.size());
    for (const QChar c : name) {
        // Control characters are no more valid in a file name than these.
        if (c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c))
            continue;
        cleaned.append(c);
    }
    cleaned = cleaned.trimmed();
    return cleaned.isEmpty() ? dirName : cleaned;
}

} // namespace settlement
