#include "SettlementFixture.h"
#include "StatusRecorder.h"

#include "data/DataError.h"
#include "data/TDM1.h"
#include "statements/Recalc.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class CaptionLog : public data::ICaptionSink
{
public:
    QString baseCaption() const override { return u"Qesto 14.10"_s; }
    void setCaption(const QString &text) override { caption = text; }
    QString caption;
};

} // namespace

// The data module on real settlement files: names, posting rules per table,
// status bar and caption, the page numbering of the employee list.
class TestDm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void fieldsByQualifiedName();
    void openingGivesEveryStatementItsRecord();
    void roundingBeforePost_data();
    void roundingBeforePost();
    void integerDefaultRefusesEmptyCopies();
    void captionFromCompanyData_data();
    void captionFromCompanyData();
    void statusFollowsTheTables();
    void pageNumbering_data();
    void pageNumbering();
    void prepocetVYStoresAndReopens();
    void statementsOnTheFiles();

private:
    std::unique_ptr<QTemporaryDir> m_root;
    statements::StatementRecalc m_recalc;
    statustest::StatusRecorder m_status;
    CaptionLog m_caption;
    std::unique_ptr<data::TDM1> m_dm;
};

void TestDm1::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    const QString dir = dm1test::makeCurrentSettlement(m_root->path());
    m_dm = std::make_unique<data::TDM1>(data::Collaborators{
        .status = m_status, .caption = m_caption, .datePicker = data::none, .recalc = m_recalc});
    m_dm->DM1Create(m_root->path());
    m_dm->setDatabasePath(dir);
    m_dm->setToday([] { return QDate(2015, 12, 15); });
    m_status = {};
    m_dm->OtevritTabulky();
}

void TestDm1::cleanup()
{
    m_dm.reset();
    m_root.reset();
}

void TestDm1::fieldsByQualifiedName()
{
    data::TDM1 &dm = *m_dm;
    QCOMPARE(dm.field(u"VdvlSl21"_s), dm.Vdvl().fieldByName(u"Sl21"_s));
    QCOMPARE(dm.field(u"vdvlsl21"_s), dm.field(u"VdvlSl21"_s));
    QCOMPARE(dm.fieldAs<data::StringField>(u"PrpDic"_s).size(), 15);
    QVERIFY(dm.fieldAs<data::FloatField>(u"VdvlSl213"_s).isCalculated());
    QVERIFY(dm.field(u"VpzQrC4a"_s)->isCalculated());
    QCOMPARE(dm.field(u"VpzPrN3"_s)->dataset(), &dm.VpzPr());
    QCOMPARE(dm.field(u"VdvlNic"_s), nullptr);
    QVERIFY_THROWS_EXCEPTION(data::DatabaseError, dm.fieldAs<data::FloatField>(u"PrpDic"_s));

    // The declaration order the forms and the dumps rely on.
    int stored = 0;
    for (int i = 0; i < dm.Vdvl().fieldCount(); ++i)
        stored += dm.Vdvl().field(i)->isCalculated() ? 0 : 1;
    QCOMPARE(stored, 186);
    QCOMPARE(dm.Vdvl().field(0)->fieldName(), u"C106"_s);
    QCOMPARE(dm.Vdvl().field(dm.Vdvl().fieldCount() - 1)->fieldName(), u"Slo313"_s);
    QCOMPARE(dm.VdvlSource().dataset(), &dm.Vdvl());
    QCOMPARE(dm.findTable(u"vpzqr"_s), &dm.VpzQr());
    QCOMPARE(dm.databaseParams().first(), u"PATH="_s + dm.databasePath());
    QCOMPARE(dm.sessionNetDir(), m_root->path().toUpper());
    QCOMPARE(dm.tablesPassword().size(), 6);
}

void TestDm1::openingGivesEveryStatementItsRecord()
{
    data::TDM1 &dm = *m_dm;
    QVERIFY(dm.tablesOpen());
    QCOMPARE(dm.upgradeFlags(), data::UpgradeFlags{});
    for (data::Dataset *ds :
         {&dm.Prp(), &dm.Dmt(), &dm.Vdvl(), &dm.Vpkv(), &dm.Vvdp(), &dm.Vdvs(), &dm.Vpkb()}) {
        QVERIFY2(ds->isActive(), qPrintable(ds->name()));
        QCOMPARE(ds->recordCount(), 1);
    }
    QVERIFY(dm.Vpz().isActive());
    QCOMPARE(dm.Vpz().recordCount(), 0);
    QVERIFY(!dm.Mzd11().isActive());
    QVERIFY(!dm.VpzPr().isActive());
    // Opening ends with the status cleared and the caption set.
    QVERIFY(!m_status.editing);
    QCOMPARE(m_status.position, data::RecordPosition{});
    QCOMPARE(m_caption.caption, u"Qesto 14.10"_s);

    dm.Disconnect();
    QVERIFY(!dm.tablesOpen());
    QVERIFY(!dm.Vdvl().isActive());
}

void TestDm1::roundingBeforePost_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("typed");
    QTest::addColumn<QVariant>("stored");

    const QVariant empty;
    QTest::newRow("Vdvl half up") << u"Vdvl"_s << u"Sl21"_s << QVariant(12.5) << QVariant(13.0);
    QTest::newRow("Vdvl half away from zero") << u"Vdvl"_s << u"Sl21"_s << QVariant(-0.5) << QVariant(-1.0);
    QTest::newRow("Vdvl empty amount") << u"Vdvl"_s << u"Sl21"_s << empty << QVariant(0.0);
    QTest::newRow("Vdvl last amount") << u"Vdvl"_s << u"Slo312"_s << QVariant(2.49) << QVariant(2.0);
    QTest::newRow("Vdvl legacy month") << u"Vdvl"_s << u"Sl612"_s << empty << QVariant(0.0);
    QTest::newRow("Vdvl refund kept empty") << u"Vdvl"_s << u"Vc1"_s << empty << empty;
    QTest::newRow("Vdvl refund rounded") << u"Vdvl"_s << u"Ztv4"_s << QVariant(7.5) << QVariant(8.0);
    QTest::newRow("Vdvs empty amount") << u"Vdvs"_s << u"Sld912"_s << empty << QVariant(0.0);
    QTest::newRow("Vdvs negative half") << u"Vdvs"_s << u"Sl1012"_s << QVariant(-2.5) << QVariant(-3.0);
    QTest::newRow("Vvdp empty month") << u"Vvdp"_s << u"C12"_s << empty << QVariant(0.0);
    QTest::newRow("Vpkv empty line") << u"Vpkv"_s << u"C15"_s << empty << empty;
    QTest::newRow("Vpkv amount") << u"Vpkv"_s << u"C15"_s << QVariant(10.49) << QVariant(10.0);
    QTest::newRow("Vpkv line 17") << u"Vpkv"_s << u"C175a"_s << QVariant(0.5) << QVariant(1.0);
    QTest::newRow("Vpkv old layout line") << u"Vpkv"_s << u"C215"_s << QVariant(1.5) << QVariant(2.0);
    QTest::newRow("Vpkb empty line") << u"Vpkb"_s << u"C166"_s << empty << empty;
    QTest::newRow("Vpkb amount") << u"Vpkb"_s << u"C16"_s << QVariant(99.5) << QVariant(100.0);
    QTest::newRow("Dmt empty margin") << u"Dmt"_s << u"Dpt"_s << empty << QVariant(0);
    QTest::newRow("Mzd11 amount") << u"Mzd11"_s << u"Dps"_s << QVariant(0.5) << QVariant(1.0);
    QTest::newRow("Mzd11 empty tax") << u"Mzd11"_s << u"Danz"_s << empty << QVariant(0);
    QTest::newRow("Vpz count not rounded") << u"Vpz"_s << u"C4"_s << QVariant(12.5) << QVariant(12.5);
}

void TestDm1::roundingBeforePost()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(QVariant, typed);
    QFETCH(QVariant, stored);

    data::Dataset &ds = *m_dm->findTable(table);
    if (!ds.isActive())
        m_dm->openTable(ds);
    if (ds.isOneRecord()) {
        ds.edit();
        if (table == u"Dmt")
            ds.fieldByName(u"Kop"_s)->setAsInteger(1);
    } else {
        ds.append();
        if (table == u"Mzd11")
            ds.fieldByName(u"O"_s)->setAsInteger(1);
    }
    ds.fieldByName(field)->setValue(typed);
    ds.post();
    ds.close();
    m_dm->openTable(ds);
    ds.last();
    QCOMPARE(ds.fieldByName(field)->value(), stored);
}

void TestDm1::integerDefaultRefusesEmptyCopies()
{
    data::Dataset &dmt = m_dm->Dmt();
    dmt.edit();
    dmt.fieldByName(u"Kop"_s)->clear();
    try {
        dmt.post();
        QFAIL("an empty number of copies was posted");
    } catch (const data::DatabaseError &e) {
        QCOMPARE(e.message(), u"0 není platná hodnota pro pole 'Kop'. Povolený rozsah je od 1 do 999"_s);
    }
    QCOMPARE(dmt.state(), data::DatasetState::Edit);
}

void TestDm1::captionFromCompanyData_data()
{
    QTest::addColumn<QString>("tiv");
    QTest::addColumn<QString>("jmd");
    QTest::addColumn<QString>("prk");
    QTest::addColumn<QString>("ojv");
    QTest::addColumn<QString>("caption");

    QTest::newRow("person") << QString() << u"Jan"_s << u"Novák"_s << QString()
                            << u"Qesto 14.10 - Jan Novák"_s;
    QTest::newRow("person with title")
        << u"Ing."_s << u"Jan"_s << u"Novák"_s << QString() << u"Qesto 14.10 - Ing. Jan Novák"_s;
    QTest::newRow("surname only") << QString() << QString() << u"Novák"_s << QString()
                                  << u"Qesto 14.10 - Novák"_s;
    QTest::newRow("company") << QString() << QString() << QString() << u"  Stavby s.r.o. "_s
                             << u"Qesto 14.10 - Stavby s.r.o."_s;
    QTest::newRow("both") << QString() << u"Jan"_s << u"Novák"_s << u"Stavby s.r.o."_s << u"Qesto 14.10"_s;
    QTest::newRow("neither") << QString() << QString() << QString() << QString() << u"Qesto 14.10"_s;
}

void TestDm1::captionFromCompanyData()
{
    QFETCH(QString, tiv);
    QFETCH(QString, jmd);
    QFETCH(QString, prk);
    QFETCH(QString, ojv);
    QFETCH(QString, caption);

    data::Dataset &prp = m_dm->Prp();
    prp.edit();
    prp.fieldByName(u"Tiv"_s)->setAsString(tiv);
    prp.fieldByName(u"Jmd"_s)->setAsString(jmd);
    prp.fieldByName(u"Prk"_s)->setAsString(prk);
    prp.fieldByName(u"Ojv"_s)->setAsString(ojv);
    prp.post();
    m_dm->NazevDp1();
    QCOMPARE(m_caption.caption, caption);

    // The caption survives the next opening of the settlement.
    m_caption.caption.clear();
    m_dm->OtevritTabulky();
    QCOMPARE(m_caption.caption, caption);
}

void TestDm1::statusFollowsTheTables()
{
    data::TDM1 &dm = *m_dm;
    dm.Vdvl().edit();
    QVERIFY(m_status.editing);
    dm.Vdvl().post();
    QVERIFY(!m_status.editing);

    data::Dataset &vpz = dm.Vpz();
    int focusMoves = 0;
    dm.setVpzNewRecordHook([&focusMoves] { ++focusMoves; });
    vpz.append();
    QCOMPARE(focusMoves, 1);
    QCOMPARE(m_status.position, statustest::newRecord());
    QVERIFY(m_status.editing);
    QVERIFY(vpz.fieldByName(u"N3"_s)->isNull());
    QCOMPARE(vpz.fieldByName(u"Pmr"_s)->value(), QVariant(false));
    vpz.fieldByName(u"N3"_s)->setAsString(u"Dílna"_s);
    vpz.post();
    QCOMPARE(m_status.position, statustest::at(1, 1));
    vpz.append();
    vpz.fieldByName(u"N3"_s)->setAsString(u"Sklad"_s);
    vpz.post();
    QCOMPARE(m_status.position, statustest::at(2, 2));
    vpz.first();
    QCOMPARE(m_status.position, statustest::at(1, 2));
    vpz.deleteRecord();
    QCOMPARE(m_status.position, statustest::at(1, 1));
    vpz.deleteRecord();
    QCOMPARE(m_status.position, statustest::at(0, 0));

    // While the settlement is being opened the employee list stays quiet.
    dm.Disconnect();
    const int reported = m_status.events;
    dm.openTable(dm.Vpz());
    dm.Vpz().append();
    QCOMPARE(m_status.events, reported);
    dm.Vpz().cancel();
}

void TestDm1::pageNumbering_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("fillers");

    QTest::newRow("empty list") << 0 << 1 << 18;
    QTest::newRow("one full page") << 18 << 1 << 0;
    QTest::newRow("one row over") << 19 << 2 << 17;
    QTest::newRow("two pages and a bit") << 37 << 3 << 17;
}

void TestDm1::pageNumbering()
{
    QFETCH(int, rows);
    QFETCH(int, pages);
    QFETCH(int, fillers);

    data::TDM1 &dm = *m_dm;
    data::Dataset &vpz = dm.Vpz();
    for (int i = 1; i <= rows; ++i) {
        vpz.append();
        vpz.fieldByName(u"N3"_s)->setAsString(u"Místo %1"_s.arg(i));
        vpz.fieldByName(u"C4"_s)->setAsFloat(i);
        vpz.post();
    }

    statements::Mds1(dm);
    QCOMPARE(dm.Prp().fieldByName(u"Pn"_s)->asInteger(), pages);
    QVERIFY(vpz.isActive());
    QCOMPARE(vpz.recordCount(), rows + fillers);

    data::Dataset &query = dm.VpzQr();
    dm.openTable(query);
    int row = 0;
    for (query.first(); row < query.recordCount(); query.next(), ++row) {
        QCOMPARE(query.fieldByName(u"Poradi"_s)->asInteger(), row % 18 + 1);
        QCOMPARE(query.fieldByName(u"Cislo"_s)->asInteger(), row / 18 + 1);
        QCOMPARE(query.fieldByName(u"Cit"_s)->asString(), QString::number(row % 18 + 1) + u'.');
        const bool filler = row >= rows;
        QCOMPARE(query.fieldByName(u"C4a"_s)->asString(), filler ? u"-----"_s : QString::number(row + 1));
        QCOMPARE(query.fieldByName(u"N3"_s)->asString(), filler ? u"-----"_s : u"Místo %1"_s.arg(row + 1));
    }
    QCOMPARE(row, rows + fillers);

    statements::Mds2(dm);
    QVERIFY(!query.isActive());
    QCOMPARE(vpz.recordCount(), rows);
}

void TestDm1::prepocetVYStoresAndReopens()
{
    data::TDM1 &dm = *m_dm;
    dm.Vdvl().edit();
    dm.Vdvl().fieldByName(u"Sl21"_s)->setAsFloat(10000);
    dm.Vdvl().post();
    dm.Vdvs().edit();
    dm.Vdvs().fieldByName(u"Sl11"_s)->setAsFloat(5000);
    dm.Vdvs().fieldByName(u"Slo71"_s)->setAsFloat(1200);
    dm.Vdvs().post();

    statements::PrepocetVY(dm);
    QVERIFY(dm.tablesOpen());
    QCOMPARE(dm.Vdvl().fieldByName(u"Sla51"_s)->value(), QVariant(10000.0));
    QCOMPARE(dm.Vdvl().fieldByName(u"C410"_s)->value(), QVariant(-10000.0));
    QCOMPARE(dm.Vdvs().fieldByName(u"Sld91"_s)->value(), QVariant(3800.0));
    QCOMPARE(dm.Vdvs().fieldByName(u"Sld92"_s)->value(), QVariant(0.0));
}

void TestDm1::statementsOnTheFiles()
{
    data::TDM1 &dm = *m_dm;
    dm.Disconnect();
    const data::SettlementQuery &query = dm.PrevodQr();
    QCOMPARE(query.updateAll(data::TableId::Vdvl, {{u"Sl21"_s, 5.0}, {u"D19"_s, u"leden"_s}}), 1);
    query.addFields(data::TableId::Mzd11, {paradox::field(u"Navic"_s, paradox::FieldType::Logical)});
    QVERIFY_THROWS_EXCEPTION(data::DatabaseError, query.updateAll(data::TableId::Vdvl, {{u"Nic"_s, 1}}));

    dm.OtevritTabulky();
    QCOMPARE(dm.field(u"VdvlSl21"_s)->asFloat(), 5.0);
    QCOMPARE(dm.field(u"VdvlSl213"_s)->asFloat(), 5.0);
    QCOMPARE(dm.field(u"VdvlD19"_s)->asString(), u"leden"_s);
    auto mzd11 = paradox::Table::open(dm.tablePath(data::TableId::Mzd11));
    QCOMPARE(mzd11->fieldIndex(u"Navic"_s), 9);
}

QTEST_GUILESS_MAIN(TestDm1)
#include "test_dm1.moc"
