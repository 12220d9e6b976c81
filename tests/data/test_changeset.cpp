// A change of several tables is all or nothing: committed, rolled back in
// the process, stopped with its record left for the next opening, or failing
// at any one step of the files underneath.
#include "FaultyFiles.h"
#include "SettlementFixture.h"
#include "SettlementRows.h"

#include "data/ChangeSet.h"
#include "data/DataError.h"
#include "data/TDM1.h"
#include "paradox/Journal.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using testsupport::settlementRows;
using testsupport::SettlementRows;

namespace {

const QString kOperation = u"Přenos údajů z programu Gavrel"_s;
const QList<data::TableId> kTables = {data::TableId::Prp, data::TableId::Vdvl, data::TableId::Mzd11};

// What a transfer writes: three tables, one of them keyed.
void writeThree(data::TDM1 &dm, int value)
{
    dm.Prp().edit();
    dm.Prp().fieldByName(u"Dic"_s)->setAsString(u"CZ%1"_s.arg(value));
    dm.Prp().post();
    dm.Vdvl().edit();
    dm.Vdvl().fieldByName(u"Sl21"_s)->setAsFloat(value);
    dm.Vdvl().post();
    dm.openTable(dm.Mzd11());
    dm.Mzd11().append();
    dm.Mzd11().fieldByName(u"O"_s)->setAsInteger(value % 12 + 1);
    dm.Mzd11().fieldByName(u"Dan"_s)->setAsInteger(value);
    dm.Mzd11().post();
}

} // namespace

class TestChangeSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        m_dir = dm1test::makeCurrentSettlement(m_root->path());
        m_dm = std::make_unique<data::TDM1>(data::Collaborators::tablesOnly());
        m_dm->DM1Create(m_root->path());
        m_dm->setDatabasePath(m_dir);
        m_dm->OtevritTabulky();
        writeThree(*m_dm, 1);
        m_old = settlementRows(m_dir);
    }
    void cleanup()
    {
        m_dm.reset();
        m_root.reset();
    }

    void endings_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("newKept");
        QTest::newRow("commit") << u"commit"_s << true;
        QTest::newRow("roll-back in the process") << u"rollBack"_s << false;
        QTest::newRow("destroyed unfinished") << u"destroyed"_s << false;
        // The record stays as a killed process leaves it, with a journal of
        // a table write cut short; the next opening puts the old files back.
        QTest::newRow("process stopped") << u"stopped"_s << false;
    }
    void endings()
    {
        QFETCH(QString, ending);
        QFETCH(bool, newKept);
        auto change = std::make_unique<data::ChangeSet>(m_dir, kOperation, m_dm->openOptions());
        for (data::TableId id : kTables)
            change->addTable(id);
        change->addFile(u"D1.ini"_s);
        QFile::remove(m_dir + u"/D1.ini"_s); // absent before: removed by a roll-back
        change->begin();
        writeThree(*m_dm, 2);
        QFile ini(m_dir + u"/D1.ini"_s);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.close();
        const SettlementRows changed = settlementRows(m_dir);
        QVERIFY(changed != m_old);
        m_dm->Disconnect();

        QString dir = m_dir;
        if (ending == u"commit") {
            change->commit();
        } else if (ending == u"rollBack") {
            change->rollBack();
        } else if (ending == u"destroyed") {
            change.reset();
        } else {
            QFile journal(paradox::journal::pathFor(data::tableFilePath(m_dir, u"Vdvl.DB"_s)));
            QVERIFY(journal.open(QIODevice::WriteOnly));
            journal.write("cut short");
            journal.close();
            // What a killed process leaves, as another process finds it.
            dir = m_root->path() + u"/D2"_s;
            QVERIFY(QDir().mkpath(dir + u"/Zmena"_s));
            for (const QString &name : QDir(m_dir).entryList(QDir::Files))
                QVERIFY(QFile::copy(m_dir + u'/' + name, dir + u'/' + name));
            for (const QString &name : QDir(m_dir + u"/Zmena"_s).entryList(QDir::Files))
                QVERIFY(QFile::copy(m_dir + u"/Zmena/"_s + name, dir + u"/Zmena/"_s + name));
            QCOMPARE(data::ChangeSet::finishPending(dir), kOperation);
        }
        QCOMPARE(settlementRows(dir), newKept ? changed : m_old);
        QCOMPARE(QFileInfo::exists(dir + u"/D1.ini"_s), newKept);
        QVERIFY(!QFileInfo::exists(dir + u"/Zmena"_s));
        QVERIFY(!QFileInfo::exists(dir + u"/Vdvl.JRN"_s));
        QCOMPARE(data::ChangeSet::finishPending(dir), QString());
        m_dm->setDatabasePath(dir);
        m_dm->OtevritTabulky();
        QCOMPARE(m_dm->Vdvl().fieldByName(u"Sl21"_s)->asFloat(), newKept ? 2.0 : 1.0);
    }

    // Every step of the files (copies, renames, removals, the engine's
    // writes of journal, table and index) refused in turn: the change either
    // completes or leaves the old settlement, the tables open again.
    void failingEachStep()
    {
        auto faulty = std::make_shared<paradox::FaultyFiles>();
        m_dm->setFileLayer(faulty);
        m_dm->OtevritTabulky();
        int failed = 0;
        int step = 0;
        for (;; ++step) {
            faulty->fail(paradox::FaultyFiles::AnyStep, {}, 1, step);
            const int before = faulty->failures();
            bool threw = false;
            try {
                data::changeSettlement(*m_dm, kOperation, kTables, [&] { writeThree(*m_dm, 100 + step); });
            } catch (const data::DatabaseError &) {
                threw = true;
            }
            faulty->fail(0);
            const bool hit = faulty->failures() > before;
            QCOMPARE(threw, hit);
            QVERIFY(!QFileInfo::exists(m_dir + u"/Zmena"_s));
            if (!hit) {
                QCOMPARE(m_dm->Vdvl().fieldByName(u"Sl21"_s)->asFloat(), 100.0 + step);
                break;
            }
            ++failed;
            QVERIFY2(settlementRows(m_dir) == m_old,
                     qPrintable(u"step %1: %2"_s.arg(step).arg(
                         testsupport::rowsDifference(settlementRows(m_dir), m_old))));
            QVERIFY2(m_dm->tablesOpen(), qPrintable(u"step %1"_s.arg(step)));
        }
        QVERIFY(failed >= 10);
        qInfo("%d steps refused in turn, each left the old settlement", failed);
    }

    // A roll-back that cannot put a file back leaves its record; the tables
    // stay closed, and the next opening finishes it.
    void failedRollBackIsFinishedLater()
    {
        auto faulty = std::make_shared<paradox::FaultyFiles>();
        m_dm->setFileLayer(faulty);
        m_dm->OtevritTabulky();
        QString message;
        try {
            data::changeSettlement(*m_dm, kOperation, kTables, [&] {
                writeThree(*m_dm, 7);
                faulty->fail(paradox::FaultyFiles::Rename, u"Vdvl.DB"_s);
                throw data::DatabaseError(data::DatabaseError::Kind::Engine, u"Disk je plný."_s);
            });
        } catch (const data::DatabaseError &e) {
            message = e.message();
        }
        QVERIFY2(message.startsWith(u"Disk je plný.\nNedokončenou akci „Přenos"_s), qPrintable(message));
        QVERIFY(!m_dm->tablesOpen());
        QVERIFY(QFileInfo::exists(m_dir + u"/Zmena/Zmena.lst"_s));

        // A new change must not start over an unfinished one.
        data::ChangeSet next(m_dir, u"Přepočet výkazů"_s);
        next.addTable(data::TableId::Vdvl);
        QVERIFY_THROWS_EXCEPTION(data::DatabaseError, next.begin());

        QCOMPARE(data::ChangeSet::finishPending(m_dir), kOperation);
        QCOMPARE(settlementRows(m_dir), m_old);
    }

    // A record that cannot be trusted stops the opening and touches nothing.
    void untrustedRecord_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("garbage") << QByteArray("\x01\x02zz");
        QTest::newRow("no end") << QByteArray("Qesto - nedokoncena zmena 1\noperace X\npuvodni Prp.DB\n");
        QTest::newRow("outside the folder")
            << QByteArray("Qesto - nedokoncena zmena 1\noperace X\nnebyl ../Prp.DB\nkonec\n");
        QTest::newRow("unknown line") << QByteArray("Qesto - nedokoncena zmena 1\nsmazat Prp.DB\nkonec\n");
    }
    void untrustedRecord()
    {
        QFETCH(QByteArray, record);
        m_dm->Disconnect();
        QVERIFY(QDir(m_dir).mkpath(u"Zmena"_s));
        QFile file(m_dir + u"/Zmena/Zmena.lst"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(record);
        file.close();
        QVERIFY_THROWS_EXCEPTION(data::DatabaseError, data::ChangeSet::finishPending(m_dir));
        QCOMPARE(settlementRows(m_dir), m_old);
        QVERIFY(file.exists());
    }

    // Kept files without a complete record (stopped while beginning) are
    // litter: nothing of the settlement had been written yet.
    void beginningStoppedLeavesSettlementAlone()
    {
        m_dm->Disconnect();
        QVERIFY(QDir(m_dir).mkpath(u"Zmena"_s));
        QVERIFY(QFile::copy(m_dir + u"/Prp.DB"_s, m_dir + u"/Zmena/Prp.DB"_s));
        QFile draft(m_dir + u"/Zmena/Zmena.tmp"_s);
        QVERIFY(draft.open(QIODevice::WriteOnly));
        draft.close();
        QCOMPARE(data::ChangeSet::finishPending(m_dir), QString());
        QVERIFY(!QFileInfo::exists(m_dir + u"/Zmena"_s));
        QCOMPARE(settlementRows(m_dir), m_old);
    }

private:
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<data::TDM1> m_dm;
    QString m_dir;
    SettlementRows m_old;
};

QTEST_GUILESS_MAIN(TestChangeSet)
#include "test_changeset.moc"
