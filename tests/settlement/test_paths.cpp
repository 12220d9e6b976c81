// Finding the data root and turning stored path templates into paths.

#include "settlement/AppPaths.h"
#include "settlement/Version.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using settlement::AppPaths;
using settlement::BackupPlace;
using settlement::DialogStart;
using settlement::RelativePaths;

Q_DECLARE_METATYPE(RelativePaths)

namespace {

void touch(const QString &path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// Paths as an installation on Windows has them.
AppPaths windowsPaths()
{
    AppPaths p;
    p.FileDirPrg = u"C:\\Program Files\\Morvatek\\Qesto 2015\\"_s;
    p.CommonAppData = u"C:\\ProgramData"_s;
    p.Personal = u"C:\\Users\\X\\Documents"_s;
    p.FileDirLocal = p.FileDir = p.DataDir = u"C:\\ProgramData\\Morvatek\\Qesto 2015\\"_s;
    return p;
}

} // namespace

class TestPaths : public QObject
{
    Q_OBJECT

private slots:
    void versionConstants()
    {
        QCOMPARE(settlement::Version::text(), u"14.10"_s);
        QCOMPARE(settlement::Version::yearTag(), u"215"_s);
        QCOMPARE(settlement::Version::mainWindowCaption(), u"Qesto 14.10"_s);
        QCOMPARE(AppPaths::defaultSubdirectory(), u"\\Morvatek\\Qesto 2015\\"_s);
    }

    void findsTheDataRoot_data()
    {
        QTest::addColumn<QString>("dataIni");        // value of [Data] Qesto, "-" for no Data.ini
        QTest::addColumn<QStringList>("listTables"); // where "Data.DB" lies
        QTest::addColumn<QString>("root");           // expected FileDir, "" when not found
        QTest::addColumn<QString>("dataDir");

        const QStringList everywhere{u"prg/Data.DB"_s, u"named/Data.DB"_s,
                                     u"common/Morvatek/Qesto 2015/Data.DB"_s};
        QTest::newRow("adresarprg with a tail") << "adresarprg\\xyz" << everywhere << "prg"
                                                << "prg";
        QTest::newRow("named directory") << "%1/named" << everywhere << "named"
                                         << "named";
        QTest::newRow("named directory without Data.DB")
            << "%1/named" << QStringList{u"prg/Data.DB"_s, u"common/Morvatek/Qesto 2015/Data.DB"_s} << ""
            << "named";
        QTest::newRow("relative to the program") << "sub" << QStringList{u"prg/sub/Data.DB"_s} << "prg/sub"
                                                 << "prg/sub";
        QTest::newRow("empty value: default directory") << "" << everywhere << "common/Morvatek/Qesto 2015"
                                                        << "common/Morvatek/Qesto 2015";
        QTest::newRow("no Data.ini: default directory")
            << "-" << QStringList{u"common/Morvatek/Qesto 2015/DATA.DB"_s} << "common/Morvatek/Qesto 2015"
            << "common/Morvatek/Qesto 2015";
        QTest::newRow("nothing anywhere") << "-" << QStringList() << ""
                                          << "common/Morvatek/Qesto 2015";
    }

    void findsTheDataRoot()
    {
        QFETCH(QString, dataIni);
        QFETCH(QStringList, listTables);
        QFETCH(QString, root);
        QFETCH(QString, dataDir);
        QTemporaryDir tmp;
        const QString base = tmp.path();
        QVERIFY(QDir(base).mkpath(u"prg"_s));
        QVERIFY(QDir(base).mkpath(u"named"_s));
        for (const QString &f : listTables)
            touch(base + u'/' + f);
        if (dataIni != u"-")
            writeText(base + u"/prg/Data.ini", "[Data]\r\nQesto=" + dataIni.arg(base).toLocal8Bit() + "\r\n");

        const AppPaths p = AppPaths::resolve(base + u"/prg", base + u"/common", base + u"/docs");
        QCOMPARE(p.dataDirFound, !root.isEmpty());
        QCOMPARE(p.FileDirPrg, QString(base + u"/prg\\"));
        QCOMPARE(plain(p.FileDir), QString(base + u'/' + (root.isEmpty() ? u"prg"_s : root)));
        QCOMPARE(p.FileDirLocal, p.FileDir);
        QCOMPARE(plain(p.DataDir), QString(base + u'/' + dataDir));
        QVERIFY(p.DataDir.endsWith(u'\\') || p.DataDir.endsWith(u'/'));
        QCOMPARE(p.Personal, QString(base + u"/docs"));
    }

    void withoutCommonAppDataThereIsNoDefault()
    {
        QTemporaryDir tmp;
        const AppPaths p = AppPaths::resolve(tmp.path(), QString(), QString());
        QVERIFY(!p.dataDirFound);
        QVERIFY(p.DataDir.isEmpty());
    }

    void resolvesTemplates_data()
    {
        QTest::addColumn<QString>("templ");
        QTest::addColumn<RelativePaths>("relative");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("ok");
        const QString disk = u"Nastavte písmeno disku (např. F:)."_s;
        const QString wrong = u"Nastavte správně cestu."_s;
        QTest::newRow("documents") << "%AdresarUziv%Zaloha" << RelativePaths::Keep
                                   << "C:\\Users\\X\\Documents\\Zaloha" << true;
        QTest::newRow("application data, any case") << "%adresardat%\\Morvatek\\x.zip" << RelativePaths::Keep
                                                    << "C:\\ProgramData\\Morvatek\\x.zip" << true;
        QTest::newRow("relative into backups")
            << "Zaloha\\a.zip" << RelativePaths::IntoBackupFolder
            << "C:\\ProgramData\\Morvatek\\Qesto 2015\\Zaloha\\Zaloha\\a.zip" << true;
        QTest::newRow("rooted into backups")
            << "\\a.zip" << RelativePaths::IntoBackupFolder
            << "C:\\ProgramData\\Morvatek\\Qesto 2015\\Zaloha\\a.zip" << true;
        QTest::newRow("relative kept") << "\\a.zip" << RelativePaths::Keep << "a.zip" << true;
        QTest::newRow("relative refused") << "Zaloha\\a.zip" << RelativePaths::Refuse << wrong << false;
        QTest::newRow("drive kept") << "D:\\Zalohy\\a.zip" << RelativePaths::IntoBackupFolder
                                    << "D:\\Zalohy\\a.zip" << true;
        QTest::newRow("drive to set") << "%Disk%\\x" << RelativePaths::IntoBackupFolder << disk << false;
        QTest::newRow("unknown placeholder")
            << "%Jiny%\\x" << RelativePaths::IntoBackupFolder << wrong << false;
        QTest::newRow("empty") << "" << RelativePaths::Keep << wrong << false;
    }

    void resolvesTemplates()
    {
        QFETCH(QString, templ);
        QFETCH(RelativePaths, relative);
        QFETCH(QString, expected);
        QFETCH(bool, ok);
        bool resolved = !ok;
        QCOMPARE(windowsPaths().CestyTyp2(templ, relative, &resolved), expected);
        QCOMPARE(resolved, ok);
    }

    void placeholderWithoutItsFolder()
    {
        AppPaths p = windowsPaths();
        p.CommonAppData.clear();
        QCOMPARE(p.CestyTyp2(u"%AdresarDat%\\Morvatek\\"_s, RelativePaths::Keep),
                 u"Nastavte správně cestu."_s);
        QCOMPARE(p.DirTyp2(u"%AdresarDat%\\Morvatek\\x"_s, u"F"_s), u"F"_s);
    }

    void buildsAndStoresTemplates()
    {
        AppPaths p = windowsPaths();
        QCOMPARE(p.CestyTyp1(BackupPlace::DataFolder, false, {}, {}),
                 u"%AdresarDat%\\Morvatek\\Qesto 2015\\"_s);
        QCOMPARE(p.CestyTyp1(BackupPlace::UserFolder, true, u"Z"_s, u"D1"_s),
                 u"%AdresarUziv%\\Morvatek\\Qesto 2015\\Zaloha\\ZD1.zip"_s);
        QCOMPARE(p.CestyTyp1(BackupPlace::RemovableMedium, false, {}, {}),
                 u"%Disk%\\Morvatek\\Qesto 2015\\"_s);
        QCOMPARE(p.CestyTyp1(BackupPlace::None, true, {}, u"Jan Novák"_s), u"Jan Novák.zip"_s);
        p.DataIniDir = u"E:\\Qesto\\"_s;
        QCOMPARE(p.CestyTyp1(BackupPlace::DataFolder, true, {}, u"D1"_s), u"E:\\Qesto\\Zaloha\\D1.zip"_s);

        QCOMPARE(p.CestyTyp3(u"c:\\programdata\\Morvatek\\a.zip"_s), u"%AdresarDat%\\Morvatek\\a.zip"_s);
        QCOMPARE(p.CestyTyp3(u"C:\\Users\\X\\Documents\\Zaloha"_s), u"%AdresarUziv%\\Zaloha"_s);
        QCOMPARE(p.CestyTyp3(u"C:\\Users\\X\\Documents"_s), u"%AdresarUziv%"_s);
        // Only whole folder names match.
        QCOMPARE(p.CestyTyp3(u"C:\\ProgramDataX\\a.zip"_s), u"C:\\ProgramDataX\\a.zip"_s);
        for (const QString &path :
             {u"C:\\ProgramData\\Morvatek\\a.zip"_s, u"C:\\Users\\X\\Documents\\Zaloha"_s})
            QCOMPARE(p.CestyTyp2(p.CestyTyp3(path), RelativePaths::IntoBackupFolder), path);
        QCOMPARE(p.DirTyp2(u"%ADRESARDAT%\\Morvatek\\Qesto 2015\\"_s, u"F"_s),
                 u"C:\\ProgramData\\Morvatek\\"_s);
        QCOMPARE(p.DirTyp2(u"%AdresarUziv%\\Morvatek\\"_s, u"F"_s), u"F"_s);
    }

    void picksDialogDirectories()
    {
        QTemporaryDir tmp;
        const QString base = tmp.path();
        QVERIFY(QDir(base).mkpath(u"common/Morvatek/Qesto 2015"_s));
        QVERIFY(QDir(base).mkpath(u"docs"_s));
        AppPaths p;
        p.CommonAppData = base + u"/common";
        p.Personal = base + u"/docs";
        p.FileDirLocal = p.FileDir = p.CommonAppData + u"\\Morvatek\\Qesto 2015\\";

        QCOMPARE(p.DirTyp(DialogStart::DataRootParent, {}), QString(p.CommonAppData + u"\\Morvatek\\"));
        QCOMPARE(p.DirTyp(DialogStart::NearestKnownFolder, p.CommonAppData + u"/Morvatek/Jinde/a.zip"),
                 QString(p.CommonAppData + u"\\Morvatek\\"));
        // Documents\Morvatek does not exist: the documents folder itself.
        QCOMPARE(p.DirTyp(DialogStart::NearestKnownFolder, p.Personal + u"\\Morvatek\\a.zip"),
                 QString(p.Personal + u'\\'));
        QCOMPARE(p.DirTyp(DialogStart::NearestKnownFolder, u"relative\\a.zip"_s), p.FileDirLocal);
        QCOMPARE(p.DirTyp(DialogStart::LocalDataRoot, {}), p.FileDirLocal);
#ifndef Q_OS_WIN
        QCOMPARE(p.DirTyp(DialogStart::LocalDataRootDrive, {}), u"/"_s);
        QCOMPARE(p.DirTyp(DialogStart::NearestKnownFolder, u"/usr/x.zip"_s), u"/"_s);
#endif
    }

    void archiveNameFromCompanyData_data()
    {
        QTest::addColumn<QString>("tiv");
        QTest::addColumn<QString>("jmd");
        QTest::addColumn<QString>("prk");
        QTest::addColumn<QString>("ojv");
        QTest::addColumn<QString>("expected");
        QTest::newRow("person") << ""
                                << "Jan"
                                << "Novák"
                                << ""
                                << "Jan Novák";
        QTest::newRow("title, blank business name") << "Ing."
                                                    << "Jan"
                                                    << "Novák"
                                                    << "  "
                                                    << "Ing. Jan Novák";
        QTest::newRow("business name cleaned") << ""
                                               << ""
                                               << ""
                                               << " A/B: s.r.o."
                                               << "AB s.r.o.";
        QTest::newRow("every forbidden character") << ""
                                                   << ""
                                                   << ""
                                                   << "a\\/:*?\"<>|\tb"
                                                   << "ab";
        QTest::newRow("both filled") << ""
                                     << "Jan"
                                     << ""
                                     << "Firma"
                                     << "D3";
        QTest::newRow("nothing") << ""
                                 << ""
                                 << ""
                                 << ""
                                 << "D3";
        QTest::newRow("only forbidden characters") << ""
                                                   << ""
                                                   << ""
                                                   << "*?"
                                                   << "D3";
    }

    void archiveNameFromCompanyData()
    {
        QFETCH(QString, tiv);
        QFETCH(QString, jmd);
        QFETCH(QString, prk);
        QFETCH(QString, ojv);
        QFETCH(QString, expected);
        QCOMPARE(settlement::NazevSb1(tiv, jmd, prk, ojv, u"D3"_s), expected);
    }

private:
    // A stored directory as a plain path without the final separator.
    static QString plain(const QString &stored)
    {
        QString s = stored;
        s.replace(u'\\', u'/');
        while (s.endsWith(u'/'))
            s.chop(1);
        return s;
    }
};

QTEST_GUILESS_MAIN(TestPaths)
#include "test_paths.moc"
