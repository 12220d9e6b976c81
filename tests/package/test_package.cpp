// The Debian package as a user gets it: made by cpack from this build tree,
// unpacked with dpkg-deb into a temporary folder and run from there. The
// package checkers run on it when they are installed.

#include "platform/HelpViewer.h"
#include "platform/ProgramFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &args, const QProcessEnvironment &env = {},
        int timeoutMs = 120000)
{
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForStarted() || !p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = u"%1 did not finish"_s.arg(program);
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

const QString AppId = u"cz.morvatek.Qesto"_s;
const QString GuideName = u"Navod k instalaci.pdf"_s;

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"dpkg-deb"_s).isEmpty())
            QSKIP("dpkg-deb is not installed (scripts/deps.sh installs it)");
        QVERIFY(m_work.isValid());
        const Run made =
            run(QStringLiteral(QESTO_CPACK),
                {u"--config"_s, QStringLiteral(QESTO_CPACK_CONFIG), u"-B"_s, m_work.filePath(u"out"_s)}, {},
                600000);
        QVERIFY2(made.exitCode == 0, qPrintable(made.out + made.err));
        const Run arch = run(u"dpkg"_s, {u"--print-architecture"_s});
        m_deb = m_work.filePath(u"out/qesto_14.10-1_%1.deb"_s.arg(arch.out.trimmed()));
        QVERIFY2(QFile::exists(m_deb), qPrintable(made.out));
        m_root = m_work.filePath(u"root"_s);
        const Run unpacked = run(u"dpkg-deb"_s, {u"-x"_s, m_deb, m_root});
        QVERIFY2(unpacked.exitCode == 0, qPrintable(unpacked.err));
    }

    void everyProgramPrintsTheVersion_data()
    {
        QTest::addColumn<QString>("program");
        for (const char *name : {"qesto", "qesto-cli", "qesto-px", "qesto-setup"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void everyProgramPrintsTheVersion()
    {
        QFETCH(QString, program);
        const Run r = run(m_root + u"/usr/bin/"_s + program, {u"--version"_s});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, program + u" 14.10\n"_s);
    }

    // The help is the manual page's source: Czech throughout, none of the
    // command-line parser's English headings or option texts.
    void everyProgramHelpsInCzech_data() { everyProgramPrintsTheVersion_data(); }
    void everyProgramHelpsInCzech()
    {
        QFETCH(QString, program);
        const Run r = run(m_root + u"/usr/bin/"_s + program, {u"--help"_s});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(u"Použití: "_s), qPrintable(r.out));
        for (const QString &english : {u"Usage:"_s, u"Options:"_s, u"Arguments:"_s, u"Displays"_s})
            QVERIFY2(!r.out.contains(english), qPrintable(program + u": "_s + english));
    }

    void packageHoldsTheInstalledFiles_data()
    {
        QTest::addColumn<QString>("path");
        const QStringList paths{u"usr/share/qesto/help/uvod.html"_s,
                                u"usr/share/qesto/"_s + GuideName,
                                u"usr/share/applications/"_s + AppId + u".desktop"_s,
                                u"usr/share/metainfo/"_s + AppId + u".metainfo.xml"_s,
                                u"usr/share/icons/hicolor/scalable/apps/"_s + AppId + u".svg"_s,
                                u"usr/share/icons/hicolor/48x48/apps/"_s + AppId + u".png"_s,
                                u"usr/share/icons/hicolor/256x256/apps/"_s + AppId + u".png"_s,
                                u"usr/share/man/man1/qesto.1.gz"_s,
                                u"usr/share/man/man1/qesto-cli.1.gz"_s,
                                u"usr/share/man/man1/qesto-px.1.gz"_s,
                                u"usr/share/man/man1/qesto-setup.1.gz"_s,
                                u"usr/share/doc/qesto/copyright"_s,
                                u"usr/share/doc/qesto/changelog.Debian.gz"_s};
        for (const QString &path : paths)
            QTest::newRow(qPrintable(path)) << path;
    }
    void packageHoldsTheInstalledFiles()
    {
        QFETCH(QString, path);
        QVERIFY2(QFileInfo(m_root + u'/' + path).size() > 0, qPrintable(path));
    }

    void dependenciesComeFromTheProgramsAndTheFonts()
    {
        const Run r = run(u"dpkg-deb"_s, {u"--field"_s, m_deb, u"Depends"_s});
        QCOMPARE(r.exitCode, 0);
        for (const QString &package : {u"fonts-liberation2"_s, u"libqt6widgets6"_s, u"libzip4"_s, u"libc6"_s})
            QVERIFY2(r.out.contains(package), qPrintable(r.out));
    }

    // What the program itself looks up, from the unpacked prefix and not from
    // the current folder, which holds help topics of its own here.
    void programFindsHelpAndGuideInThePrefix()
    {
        const QString bin = m_root + u"/usr/bin"_s;
        const QString current = QDir::currentPath();
        QDir::setCurrent(QStringLiteral(QESTO_TEST_SOURCE_DIR "/../.."));
        const QString help = platform::ProgramFiles::find(u"help"_s, bin);
        const QString guide = platform::ProgramFiles::find(GuideName, bin);
        QDir::setCurrent(current);

        QCOMPARE(QFileInfo(help).canonicalFilePath(),
                 QFileInfo(m_root + u"/usr/share/qesto/help"_s).canonicalFilePath());
        const platform::HelpIndex index = platform::HelpIndex::load(help);
        QVERIFY(!index.topics().isEmpty());
        QVERIFY(!index.fileForContext(1).isEmpty());

        QCOMPARE(QFileInfo(guide).canonicalFilePath(),
                 QFileInfo(m_root + u"/usr/share/qesto/"_s + GuideName).canonicalFilePath());
        QFile pdf(guide);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
    }

    // The menu entry's command on a computer where the user has no data yet:
    // the data root is made and the first start asks how to work with it.
    void menuEntryStartsTheProgramWithTheFirstStartQuestion()
    {
        const QString desktop = readText(m_root + u"/usr/share/applications/"_s + AppId + u".desktop"_s);
        const QRegularExpressionMatch exec =
            QRegularExpression(u"^Exec=(.*)$"_s, QRegularExpression::MultilineOption).match(desktop);
        QVERIFY(exec.hasMatch());
        QStringList args = exec.captured(1).split(u' ', Qt::SkipEmptyParts);
        QCOMPARE(args.takeFirst(), u"qesto"_s);

        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString windows = home.filePath(u"windows.log"_s);
        const QString messages = home.filePath(u"messages.log"_s);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"QESTO_COMMON_APPDATA"_s, home.filePath(u"appdata"_s));
        env.insert(u"QESTO_PERSONAL"_s, home.path());
        env.insert(u"QESTO_MESSAGES_LOG"_s, messages);
        env.insert(u"QESTO_WINDOWS_LOG"_s, windows);

        QProcess program;
        program.setProcessEnvironment(env);
        program.start(m_root + u"/usr/bin/qesto"_s, args);
        QVERIFY(program.waitForStarted());
        QElapsedTimer timer;
        timer.start();
        bool shown = false;
        while (!shown && program.state() == QProcess::Running && timer.elapsed() < 60000) {
            QThread::msleep(200);
            shown = readText(windows).split(u'\n').contains(u"Výběr práce s daty"_s);
        }
        program.kill();
        program.waitForFinished();
        QVERIFY2(shown, qPrintable(readText(windows) + readText(messages) +
                                   QString::fromUtf8(program.readAllStandardError())));
        QCOMPARE(readText(messages), QString());
        QVERIFY(QFile::exists(home.filePath(u"appdata/Morvatek/Qesto 2015/Data.DB"_s)));
    }

    void menuEntryAndMetadataAreValid_data()
    {
        QTest::addColumn<QString>("checker");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("desktop-file-validate")
            << u"desktop-file-validate"_s
            << QStringList{u"usr/share/applications/"_s + AppId + u".desktop"_s};
        QTest::newRow("appstreamcli") << u"appstreamcli"_s
                                      << QStringList{u"validate"_s, u"--no-net"_s,
                                                     u"usr/share/metainfo/"_s + AppId + u".metainfo.xml"_s};
    }
    void menuEntryAndMetadataAreValid()
    {
        QFETCH(QString, checker);
        QFETCH(QStringList, args);
        if (QStandardPaths::findExecutable(checker).isEmpty())
            QSKIP("the checker is not installed (scripts/deps.sh installs it)");
        for (QString &arg : args)
            if (arg.startsWith(u"usr/"_s))
                arg = m_root + u'/' + arg;
        const Run r = run(checker, args);
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
    }

    // Warnings are shown; an error fails.
    void lintianFindsNoError()
    {
        if (QStandardPaths::findExecutable(u"lintian"_s).isEmpty())
            QSKIP("lintian is not installed (scripts/deps.sh installs it)");
        const Run r = run(u"lintian"_s, {u"--no-tag-display-limit"_s, m_deb}, {}, 600000);
        if (!r.out.trimmed().isEmpty())
            qInfo().noquote() << r.out.trimmed();
        QVERIFY2(!r.out.contains(QRegularExpression(u"^E: "_s, QRegularExpression::MultilineOption)),
                 qPrintable(r.out));
    }

private:
    QTemporaryDir m_work;
    QString m_deb;
    QString m_root;
};

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
