// The program on the offscreen platform, without anyone at the screen.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void endsWithAMessageWithoutDataDirectory()
    {
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        const QString log = empty.filePath(u"messages.log"_s);

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"QESTO_COMMON_APPDATA"_s, empty.path());
        env.insert(u"QESTO_MESSAGES_LOG"_s, log);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QESTO_PROGRAM), {});
        QVERIFY2(program.waitForFinished(30000), "the program did not end");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);

        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 u"error\tChyba při zjišťování adresáře s daty.\\nNainstalujte program znovu.\n"_s);
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
