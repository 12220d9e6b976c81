#include "SettlementFixture.h"

#include "data/DataError.h"
#include "data/TDM1.h"
#include "statements/Recalc.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Opening settlements written by earlier versions, end to end through the
// data module: the files are upgraded, the added fields filled once, the
// statements posted and recomputed, and a second opening changes nothing.
class TestUpgradeOpen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void oldestSettlementGetsEveryUpgrade();
    void secondOpeningChangesNothing();
    void withholdingColumnsAddedAndRecomputed();
    void onlyLastCompanyGenerationMissing();
    void statementTypesAddedBeforeGenerationSix();
    void damagedFileLeavesEverythingClosed();

private:
    QString settlement() const { return m_root->path() + u"/D1"_s; }
    void open();

    std::unique_ptr<QTemporaryDir> m_root;
    statements::StatementRecalc m_recalc;
    std::unique_ptr<data::TDM1> m_dm;
};

void TestUpgradeOpen::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_dm = std::make_unique<data::TDM1>(data::Collaborators::windowless(m_recalc));
    m_dm->DM1Create(m_root->path());
}

void TestUpgradeOpen::cleanup()
{
    m_dm.reset();
    m_root.reset();
}

void TestUpgradeOpen::open()
{
    m_dm->setDatabasePath(settlement());
    m_dm->OtevritTabulky();
}

void TestUpgradeOpen::oldestSettlementGetsEveryUpgrade()
{
    dm1test::makeOldestSettlement(m_root->path());
    open();
    data::TDM1 &dm = *m_dm;
    QVERIFY(dm.tablesOpen());
    QCOMPARE(dm.upgradeFlags(), (data::UpgradeFlags{true, true, true}));

    // Company data: the one-time copies of the generations.
    const auto text = [&dm](const QString &name) { return dm.field(name)->asString(); };
    QCOMPARE(text(u"PrpOjs"_s), u"Stavby Novák s.r.o."_s);
    QCOMPARE(text(u"PrpAdrs"_s), u"Hlavní 12, 602 00  Brno"_s);
    QCOMPARE(text(u"PrpOjv"_s), u"Stavby Novák"_s);
    QCOMPARE(text(u"PrpPrk"_s), u"Novák"_s);
    QCOMPARE(text(u"PrpJmd"_s), u"Jan"_s);
    QCOMPARE(text(u"PrpDic"_s), u"CZ12345678"_s);
    QCOMPARE(dm.field(u"PrpDpdr1"_s)->value(), QVariant(true));
    QCOMPARE(dm.field(u"PrpDpdr2"_s)->value(), QVariant(true));
    QCOMPARE(dm.field(u"PrpDpdd2"_s)->value(), QVariant(false));
    QVERIFY(dm.field(u"PrpFusp"_s)->isNull());

    // Print settings, and the left margin of the forms of generation A.
    QCOMPARE(dm.field(u"DmtPrh1"_s)->value(), QVariant(true));
    QCOMPARE(text(u"DmtTrh1"_s), u"vybranou stránku"_s);
    QCOMPARE(text(u"DmtTpr2"_s), u"všechny stránky"_s);
    QCOMPARE(dm.field(u"DmtDpl"_s)->asInteger(), 3);
    QCOMPARE(dm.field(u"DmtKop"_s)->asInteger(), 2);

    // The employment statement: legacy columns emptied, amounts posted
    // (rounded) and the statement recomputed from the rounded amounts.
    QVERIFY(dm.field(u"VdvlD11"_s)->isNull());
    QVERIFY(dm.field(u"VdvlD19"_s)->asString().isEmpty());
    QCOMPARE(dm.field(u"VdvlSl21"_s)->value(), QVariant(1000.0));
    QCOMPARE(dm.field(u"VdvlSl23"_s)->value(), QVariant(3001.0));
    QCOMPARE(dm.field(u"VdvlSl71"_s)->value(), QVariant(0.0));
    QCOMPARE(dm.field(u"VdvlSla51"_s)->value(), QVariant(900.0));
    QCOMPARE(dm.field(u"VdvlSlb51"_s)->value(), QVariant(0.0));
    QVERIFY(dm.field(u"VdvlVc1"_s)->isNull());
    const double sl213 = dm.field(u"VdvlSl213"_s)->asFloat();
    QCOMPARE(dm.field(u"VdvlC401"_s)->asFloat(), sl213);
    QCOMPARE(dm.field(u"VdvlC403"_s)->asFloat(), 1200.0);
    QCOMPARE(dm.field(u"VdvlC409"_s)->asFloat(), 900.0 * 78);
    QCOMPARE(dm.field(u"VdvlC410"_s)->asFloat(), 900.0 * 78 - (sl213 - 1200));

    // The annex: new lines empty, old amounts rounded, empty ones kept empty.
    QCOMPARE(dm.field(u"VpkvC15"_s)->value(), QVariant(10.0));
    QVERIFY(dm.field(u"VpkvC25"_s)->isNull());
    QVERIFY(dm.field(u"VpkvZ1"_s)->isNull());

    // Withholding months moved from Vvdp into the new statement once.
    for (int m = 1; m <= 12; ++m) {
        const QString n = QString::number(m);
        QCOMPARE(dm.field(u"VdvsSl1"_s + n)->asFloat(), 100.0 * m);
        QCOMPARE(dm.field(u"VdvsSl2"_s + n)->asFloat(), 100.0 * m);
        QCOMPARE(dm.field(u"VdvsSl10"_s + n)->asFloat(), 100.0 * m);
        QCOMPARE(dm.field(u"VvdpC"_s + n)->value(), QVariant(0.0));
    }
    QCOMPARE(dm.field(u"VdvsC402"_s)->asFloat(), 7800.0);

    // Missing files came from the templates; Mzd11 stays closed.
    QVERIFY(QFile::exists(settlement() + u"/Mzd11.DB"_s));
    QVERIFY(QFile::exists(settlement() + u"/Mzd11.PX"_s));
    QVERIFY(dm.Vpkb().isActive());
    QVERIFY(!dm.Mzd11().isActive());

    // The caller's recalculation after the flags fills sl. 8a as well.
    statements::PrepocetVY(dm);
    QCOMPARE(dm.upgradeFlags(), data::UpgradeFlags{});
    QCOMPARE(dm.field(u"VdvsSld93"_s)->asFloat(), 300.0);
}

void TestUpgradeOpen::secondOpeningChangesNothing()
{
    dm1test::makeOldestSettlement(m_root->path());
    open();
    statements::PrepocetVY(*m_dm);
    m_dm->Disconnect();
    const auto before = dm1test::snapshot(settlement());
    QCOMPARE(before.size(), 11);

    open();
    QCOMPARE(m_dm->upgradeFlags(), data::UpgradeFlags{});
    QCOMPARE(m_dm->field(u"VdvsSl15"_s)->asFloat(), 500.0);
    m_dm->Disconnect();
    const auto after = dm1test::snapshot(settlement());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
}

void TestUpgradeOpen::withholdingColumnsAddedAndRecomputed()
{
    const QString dir = dm1test::makeCurrentSettlement(m_root->path());
    QVariantMap vdvs;
    for (int m = 1; m <= 12; ++m) {
        vdvs.insert(u"Sl1"_s + QString::number(m), 1000.0 + m);
        vdvs.insert(u"Sl8"_s + QString::number(m), 77.0);
    }
    dm1test::writeOlderTable(dir, data::TableId::Vdvs, 0, vdvs);
    QVariantMap vvdp{{u"C1"_s, 55.0}};
    dm1test::writeOlderTable(dir, data::TableId::Vvdp, 0, vvdp);

    open();
    data::TDM1 &dm = *m_dm;
    // The statement itself recomputes the new column; no flag for the caller.
    QCOMPARE(dm.upgradeFlags(), data::UpgradeFlags{});
    for (int m = 1; m <= 12; ++m) {
        const QString n = QString::number(m);
        QCOMPARE(dm.field(u"VdvsSld9"_s + n)->value(), QVariant(1000.0 + m));
        QCOMPARE(dm.field(u"VdvsSl8"_s + n)->value(), QVariant(0.0));
        QVERIFY(dm.field(u"VdvsSlc7"_s + n)->isNull());
    }
    // Vvdp is migrated only when Vdvs did not exist.
    QCOMPARE(dm.field(u"VvdpC1"_s)->asFloat(), 55.0);
}

void TestUpgradeOpen::onlyLastCompanyGenerationMissing()
{
    const QString dir = dm1test::makeCurrentSettlement(m_root->path());
    dm1test::writeOlderTable(dir, data::TableId::Prp, 7, {{u"Prk"_s, u"Dvořák"_s}, {u"Dpdr1"_s, false}});
    open();
    QCOMPARE(m_dm->upgradeFlags(), (data::UpgradeFlags{false, false, true}));
    QCOMPARE(m_dm->field(u"PrpPrk"_s)->asString(), u"Dvořák"_s);
    QCOMPARE(m_dm->field(u"PrpDpdr1"_s)->value(), QVariant(false));
}

void TestUpgradeOpen::statementTypesAddedBeforeGenerationSix()
{
    const QString dir = dm1test::makeCurrentSettlement(m_root->path());
    dm1test::writeOlderTable(dir, data::TableId::Prp, 5, {{u"Jmd"_s, u"Eva"_s}});
    open();
    QCOMPARE(m_dm->upgradeFlags(), (data::UpgradeFlags{false, true, true}));
    for (const char16_t *name : {u"PrpDpdr1", u"PrpDpdr2"})
        QCOMPARE(m_dm->field(QString::fromUtf16(name))->value(), QVariant(true));
    for (const char16_t *name : {u"PrpDpdo1", u"PrpDpdo2", u"PrpDpdd1", u"PrpDpdd2"})
        QCOMPARE(m_dm->field(QString::fromUtf16(name))->value(), QVariant(false));
    QCOMPARE(m_dm->field(u"PrpJmd"_s)->asString(), u"Eva"_s);
}

void TestUpgradeOpen::damagedFileLeavesEverythingClosed()
{
    const QString dir = dm1test::makeCurrentSettlement(m_root->path());
    QFile vdvl(data::tableFilePath(dir, u"Vdvl.DB"_s));
    QVERIFY(vdvl.open(QIODevice::WriteOnly | QIODevice::Truncate));
    vdvl.write("not a table");
    vdvl.close();

    m_dm->setDatabasePath(dir);
    QVERIFY_THROWS_EXCEPTION(data::DatabaseError, m_dm->OtevritTabulky());
    QVERIFY(!m_dm->tablesOpen());
    for (data::Dataset *ds : m_dm->tables())
        QVERIFY2(!ds->isActive(), qPrintable(ds->name()));
}

QTEST_GUILESS_MAIN(TestUpgradeOpen)
#include "test_upgrade_open.moc"
