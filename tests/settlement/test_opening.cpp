// Opening a settlement on a real data root: a settlement made through the
// settlement list, the tables opened by the data module, the pending
// rollover, the recomputation after an upgrade, the printer and the
// failures.

#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "data/TDM1.h"
#include "data/Templates.h"
#include "data/Upgrade.h"
#include "paradox/Table.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/Printers.h"
#include "registry/SettlementList.h"
#include "settlement/AppPaths.h"
#include "settlement/SettlementOpening.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <new>

using namespace Qt::Literals::StringLiterals;
using platform::ScriptedMessages;
using settlement::SettlementOpening;

namespace {

const QString FailureText = u"Nepodařilo se otevřít všechny tabulky."_s;

// The one message of a failed opening: the fixed text, then on its own line
// why, so that the user or support sees which file is at fault.
void verifyFailure(const ScriptedMessages &messages, const QString &reasonPart)
{
    QCOMPARE(messages.texts().size(), 1);
    const QStringList lines = messages.texts().constFirst().split(u'\n');
    QCOMPARE(lines.constFirst(), FailureText);
    QVERIFY2(lines.size() >= 2 && lines.at(1).contains(reasonPart),
             qPrintable(messages.texts().constFirst()));
}

struct Selection : settlement::ISettlementSelection
{
    QString directory;
    bool quit = false;
    int cleared = 0;
    void clearQuit() override { ++cleared; }
    bool choose() override { return !quit; }
    QString selectedDirectory() const override { return directory; }
};

struct Rollover : settlement::IRollover
{
    QList<int> modes;
    void NovyRok2(int mode) override { modes.append(mode); }
};

// A data root with one settlement named "Firma", made as the list window
// makes it.
class Fixture
{
public:
    Fixture() : printers({u"Laser"_s, u"Tiskárna 2"_s, u"PDF"_s}, u"Laser"_s)
    {
        QVERIFY(dir.isValid());
        root = platform::FileOps::withTrailingSeparator(dir.path());
        QCOMPARE(data::createDataRoot(root), QString());
        paths.FileDirPrg = paths.FileDirLocal = paths.FileDir = root;
        paths.dataDirFound = true;
        dm.DM1Create(paths.FileDir);

        settlement = registry::test::createSettlements({paths.FileDirLocal, paths.FileDir, u"215"_s},
                                                       messages, dm.openOptions(), {u"Firma"_s})
                         .first();

        opening = std::make_unique<SettlementOpening>(paths, messages, dm, printers);
        opening->setSelection(&selection);
        opening->setRecalc([this](data::TDM1 &) { ++recalcs; });
        selection.directory = settlement;
    }

    QString settlementPath(const QString &file = {}) const
    {
        return platform::FileOps::resolve(root + settlement + u'\\' + file);
    }
    platform::IniFile settlementIni() const
    {
        return platform::IniFile(settlementPath(settlement + u".ini"_s));
    }

    QTemporaryDir dir;
    QString root;
    QString settlement;
    settlement::AppPaths paths;
    ScriptedMessages messages;
    data::TDM1 dm{data::Collaborators::tablesOnly()};
    platform::FixedPrinters printers;
    Selection selection;
    std::unique_ptr<SettlementOpening> opening;
    int recalcs = 0;
};

} // namespace

class TestOpening : public QObject
{
    Q_OBJECT

private slots:
    void opensTheChosenSettlement()
    {
        Fixture f;
        QCOMPARE(f.settlement, u"D1"_s);
        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Opened);
        QCOMPARE(f.selection.cleared, 1);
        QVERIFY(f.messages.shown().isEmpty());
        QVERIFY(f.dm.tablesOpen());
        QVERIFY(f.opening->TypDp1());
        QCOMPARE(f.opening->directoryName(), u"D1"_s);
        QCOMPARE(f.opening->iniPath(), u"D1\\D1.ini"_s);
        QCOMPARE(f.recalcs, 0);
        // The tables are those of the settlement directory.
        QCOMPARE(QDir::cleanPath(platform::FileOps::resolve(f.dm.databasePath())),
                 QDir::cleanPath(f.settlementPath()));
        QCOMPARE(f.opening->printers().currentName(), u"Laser"_s);
    }

    void konecInTheListTouchesNothing()
    {
        Fixture f;
        f.selection.quit = true;
        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Quit);
        QVERIFY(!f.dm.tablesOpen());
        QVERIFY(!f.opening->TypDp1());
        QVERIFY(f.messages.shown().isEmpty());
    }

    void failures_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty list confirmed") << u"empty"_s << u"Není vybráno žádné Qesto"_s;
        QTest::newRow("directory removed behind the program's back") << u"removed"_s << u"neexistuje"_s;
        QTest::newRow("damaged company table") << u"damaged"_s << u"Prp.DB je poškozená"_s;
    }

    void failures()
    {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        Fixture f;
        // Windows that keep settings per settlement hear of an opening only
        // when it succeeded.
        int opened = 0;
        f.opening->setOpened([&] { ++opened; });
        // A settlement that was open before keeps nothing open after a
        // failed opening.
        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Opened);
        QCOMPARE(opened, 1);
        f.dm.Disconnect();
        if (damage == u"empty") {
            f.selection.directory.clear();
        } else if (damage == u"removed") {
            QVERIFY(QDir(f.settlementPath()).removeRecursively());
        } else {
            QFile prp(platform::FileOps::resolve(f.settlementPath(u"Prp.DB"_s)));
            QVERIFY(prp.open(QIODevice::WriteOnly | QIODevice::Truncate));
            prp.write(QByteArray(300, '\x7f'));
        }
        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Failed);
        QCOMPARE(opened, 1);
        verifyFailure(f.messages, reason);
        QVERIFY(!f.dm.tablesOpen());
        QVERIFY(!f.opening->TypDp1());
        // Nothing was created where the settlement should be.
        if (damage == u"removed")
            QVERIFY(!QDir(f.settlementPath()).exists());
    }

    void pendingRolloverRunsOnceWhenARolloverIsAttached()
    {
        Fixture f;
        f.settlementIni().writeInteger(u"Prevodzu215", u"Ano", 2);

        // Without anyone to carry it out, the request waits.
        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Opened);
        QCOMPARE(f.opening->pendingRollover(), 2);
        QCOMPARE(f.settlementIni().readInteger(u"Prevodzu215", u"Ano", 0), 2);

        Rollover rollover;
        f.opening->setRollover(&rollover);
        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Opened);
        QCOMPARE(rollover.modes, QList<int>{2});
        QVERIFY(!f.settlementIni().sectionExists(u"Prevodzu215"));

        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Opened);
        QCOMPARE(rollover.modes, QList<int>{2});
        QCOMPARE(f.opening->pendingRollover(), 0);
    }

    void rolloverFailureIsReported()
    {
        Fixture f;
        f.settlementIni().writeInteger(u"Prevodzu215", u"Ano", 1);
        struct Failing : settlement::IRollover
        {
            void NovyRok2(int) override
            {
                throw data::DatabaseError(data::DatabaseError::Kind::Engine, reason);
            }
            const QString reason = u"Archiv D1.zip nelze vytvořit, akce nový rok nebyla provedena."_s;
        } failing;
        f.opening->setRollover(&failing);
        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Failed);
        verifyFailure(f.messages, failing.reason);
        QVERIFY(!f.opening->TypDp1());

        // A failure of the standard library gets the message and its reason.
        struct Broken : settlement::IRollover
        {
            void NovyRok2(int) override { throw std::bad_alloc(); }
        } broken;
        f.messages.clear();
        f.settlementIni().writeInteger(u"Prevodzu215", u"Ano", 1);
        f.opening->setRollover(&broken);
        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Failed);
        QCOMPARE(f.messages.texts(), QStringList{FailureText + u"\nNedostatek paměti."_s});
    }

    void upgradedSettlementIsRecomputed()
    {
        Fixture f;
        // A print settings table as versions before the preview settings
        // wrote it.
        const QString path =
            data::tableFilePath(f.settlementPath(), data::tableDef(data::TableId::Dmt).fileName());
        paradox::Schema schema = data::tableDef(data::TableId::Dmt).schema();
        const QStringList newer = data::generations(data::TableId::Dmt).first().fields;
        schema.fields.removeIf(
            [&](const paradox::FieldDef &fd) { return newer.contains(fd.name, Qt::CaseInsensitive); });
        paradox::Table::removeTable(path);
        {
            auto table = paradox::Table::create(path, schema);
            QVariantList record(schema.fields.size());
            table->append(record);
        }
        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Opened);
        QVERIFY(f.dm.upgradeFlags().printSettings);
        QCOMPARE(f.recalcs, 1);
        QVERIFY(f.messages.shown().isEmpty());
    }

    void printerChoice_data()
    {
        QTest::addColumn<bool>("vychozi");
        QTest::addColumn<QString>("tiskarna");
        QTest::addColumn<int>("expected");
        // Names: Laser, PDF, Laser; the system default is PDF.
        QTest::newRow("system default") << true << u"Laser"_s << 1;
        QTest::newRow("own printer, the last of that name") << false << u"Laser"_s << 2;
        QTest::newRow("letter case counts") << false << u"laser"_s << 1;
        QTest::newRow("own printer no longer installed") << false << u"Starý"_s << 1;
        QTest::newRow("own printer not named") << false << QString() << 1;
    }

    void printerChoice()
    {
        QFETCH(bool, vychozi);
        QFETCH(QString, tiskarna);
        QFETCH(int, expected);
        const QStringList names = {u"Laser"_s, u"PDF"_s, u"Laser"_s};
        QCOMPARE(SettlementOpening::choosePrinter(names, u"PDF"_s, vychozi, tiskarna), expected);
    }

    void printerOfTheSettlementIsSelectedOnOpening()
    {
        Fixture f;
        f.settlementIni().writeInteger(u"Tisk", u"Vychozi", 0);
        f.settlementIni().writeString(u"Tisk", u"Tiskarna", u"Tiskárna 2");
        QCOMPARE(f.opening->VyberDanoveho(), SettlementOpening::Result::Opened);
        QCOMPARE(f.opening->printers().currentName(), u"Tiskárna 2"_s);
        QCOMPARE(f.opening->printers().names.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestOpening)
#include "test_opening.moc"
