// An empty data root, made by createDataRoot and by the qesto-setup tool, is
// one the start-up finds and accepts, and the tool never overwrites data.

#include "FileContents.h"
#include "app/Startup.h"
#include "data/ListFiles.h"
#include "data/Templates.h"
#include "paradox/Table.h"
#include "platform/IniFile.h"
#include "settlement/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace data;

namespace {

struct Run
{
    int exitCode = -1;
    QString output;
};

Run runSetup(const QStringList &arguments, const QString &commonAppData)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QESTO_COMMON_APPDATA"_s, commonAppData);
    process.setProcessEnvironment(env);
    process.start(QString::fromUtf8(QESTO_SETUP_PROGRAM), arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())};
}

using testsupport::fileContents;

} // namespace

class TestTemplates : public QObject
{
    Q_OBJECT

private slots:
    void dataRootIsComplete()
    {
        QTemporaryDir dir;
        const QString root = QDir(dir.path()).filePath(u"Qesto 2015"_s);
        QCOMPARE(createDataRoot(root), QString());
        const QDir d(root);
        for (const QString &name : listFileNames(ListGroup::List) + listFileNames(ListGroup::Passwords))
            QVERIFY2(QFile::exists(d.filePath(name)), qPrintable(name));
        for (const QString &name : settlementFileNames())
            QVERIFY2(QFile::exists(d.filePath(u"Data/"_s + name)), qPrintable(name));
        QCOMPARE(app::Startup::readDataVersion(root + u'/'), DataVersion);
        QCOMPARE(platform::IniFile(d.filePath(u"Qesto.ini"_s)).readString(u"Qesto", u"Net"), u"0"_s);
        QCOMPARE(paradox::Table::open(d.filePath(u"Data.DB"_s))->recordCount(), 0);

        // A list made here needs no upgrade.
        const ListUpgradeResult list = PrevodSeznF1(root);
        QVERIFY(!list.converted && !list.nameIndexAdded && !list.passwords.replaced);
        QVERIFY(list.errors.isEmpty());
    }

    // The tool's default directory is the one the start-up looks in without
    // a Data.ini.
    void setupToolDefaultRoot()
    {
        QTemporaryDir common;
        QTemporaryDir program;
        const Run first = runSetup({u"--if-missing"_s}, common.path());
        QVERIFY2(first.exitCode == 0, qPrintable(first.output));

        const settlement::AppPaths paths =
            settlement::AppPaths::resolve(program.path() + u'/', common.path(), QString());
        QVERIFY(paths.dataDirFound);
        QCOMPARE(app::Startup::readDataVersion(paths.FileDirLocal), DataVersion);

        const QString list = QDir(common.path()).filePath(u"Morvatek/Qesto 2015/Data.DB"_s);
        paradox::Table::open(list)->append({1, 1, u"Firma"_s, u"D1"_s});
        const QByteArray before = fileContents(list);
        QCOMPARE(runSetup({u"--if-missing"_s}, common.path()).exitCode, 0);
        QCOMPARE(runSetup({}, common.path()).exitCode, 2);
        QCOMPARE(fileContents(list), before);
    }

    void setupToolGivenRoot()
    {
        QTemporaryDir dir;
        const QString root = QDir(dir.path()).filePath(u"sit/QESTO215"_s);
        const Run run = runSetup({root}, QString());
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QVERIFY(isDataRoot(root));
        // The first start asks how to work with the data; --local answers it.
        const QString settings = QDir(root).filePath(u"Qesto.ini"_s);
        QVERIFY(!platform::IniFile(settings).valueExists(u"Qesto", u"Net"));
        QCOMPARE(platform::IniFile(settings).readInteger(u"Qesto", u"Razeni", 0), 1);
        const QString local = QDir(dir.path()).filePath(u"mistni"_s);
        QCOMPARE(runSetup({u"--local"_s, local}, QString()).exitCode, 0);
        QCOMPARE(platform::IniFile(QDir(local).filePath(u"Qesto.ini"_s)).readString(u"Qesto", u"Net"),
                 u"0"_s);

        // Refreshing rewrites the templates and keeps the list.
        const QString list = QDir(root).filePath(u"Data.DB"_s);
        paradox::Table::open(list)->append({1, 1, u"Firma"_s, u"D1"_s});
        const QByteArray before = fileContents(list);
        QFile::remove(QDir(root).filePath(u"Data/Vdvl.DB"_s));
        QCOMPARE(runSetup({u"--templates"_s, root}, QString()).exitCode, 0);
        QVERIFY(QFile::exists(QDir(root).filePath(u"Data/Vdvl.DB"_s)));
        QCOMPARE(fileContents(list), before);
        QCOMPARE(runSetup({u"--templates"_s, dir.path()}, QString()).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestTemplates)
#include "test_templates.moc"
