// qesto-cli list: the settlement list of a data root as support staff see it,
// with what the list window would have said.

#include "CliCommands.h"
#include "RegistryFixture.h"
#include "ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace registry;
using namespace registry::test;

class TestListCli : public QObject
{
    Q_OBJECT

private slots:
    void listsTheStoredOrderAndWhichAreProtected()
    {
        Root root;
        root.addEntries({{1, 2, u"Beta, s.r.o."_s, u"D1"_s}, {2, 1, u"Alfa"_s, u"D2"_s}});
        {
            platform::ScriptedMessages messages;
            SettlementList list(root.roots(), messages);
            list.attach();
            QVERIFY(list.setPassword(2, u"Abc"_s));
            list.setRazeni(Razeni::Vlastni);
        }
        const cli::Result r = cli::run({u"list"_s, root.fileDir});
        QCOMPARE(r.error, QString());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.output, QByteArray("Cislo,Nazev,Adresar,Heslo\n"
                                      "2,Alfa,D2,1\n"
                                      "1,\"Beta, s.r.o.\",D1,0\n"));
    }

    void aRelativePathListsAsTheAbsoluteOne()
    {
        Root root;
        root.addEntries({{1, 1, u"Alfa"_s, u"D1"_s}});
        const QString absolute = QDir(root.fileDir).absolutePath();
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QFileInfo(absolute).absolutePath()));
        const cli::Result relative = cli::run({u"list"_s, QFileInfo(absolute).fileName()});
        QDir::setCurrent(before);
        const cli::Result whole = cli::run({u"list"_s, root.fileDir});
        QCOMPARE(relative.error, whole.error);
        QCOMPARE(relative.exitCode, 0);
        QCOMPARE(relative.output, whole.output);
    }

    void damagedPasswordsAreReportedAndKeptAside()
    {
        Root root;
        root.addEntries({{1, 1, u"Alfa"_s, u"D1"_s}});
        QFile uziv(root.fileDir + u"Uziv.DB"_s);
        QVERIFY(uziv.open(QIODevice::ReadWrite));
        uziv.write(QByteArray(64, '\xff'));
        uziv.close();

        const cli::Result r = cli::run({u"list"_s, root.fileDir});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.output, QByteArray("Cislo,Nazev,Adresar,Heslo\n1,Alfa,D1,0\n"));
        QVERIFY2(r.error.startsWith(u"Tabulka hesel Uziv.DB byla poškozená"_s), qPrintable(r.error));
        QVERIFY(QFile::exists(root.fileDir + u"Uziv.poskozena.DB"_s));
    }

    void withoutAListNothingIsShown()
    {
        Root root;
        QVERIFY(QFile::remove(root.fileDir + u"Data.DB"_s));
        const cli::Result r = cli::run({u"list"_s, root.fileDir});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.output.isEmpty());
        QVERIFY2(r.error.contains(u"Data.DB"_s), qPrintable(r.error));
    }
};

QTEST_GUILESS_MAIN(TestListCli)
#include "test_list_cli.moc"
