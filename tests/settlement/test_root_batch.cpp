// The run over every settlement of a data root, without a window.

#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "data/TDM1.h"
#include "settlement/RootBatch.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using settlement::BatchKind;
using settlement::BatchOutcome;

namespace {

// A data root with settlements made as the list makes them, and its list
// attached as the window has it.
struct BatchRoot
{
    explicit BatchRoot(const QStringList &names)
    {
        dm.DM1Create(root.fileDir);
        registry::test::createSettlements(root.roots(), messages, dm.openOptions(), names);
        list = std::make_unique<registry::SettlementList>(root.roots(), messages);
        list->setOpenOptions(dm.openOptions());
        list->attach();
    }

    // Runs the batch, keeping every outcome.
    settlement::BatchSummary run(settlement::RootBatch &batch, const settlement::BatchOptions &options)
    {
        batch.setOutcome([this](const BatchOutcome &o) { outcomes.append(o); });
        return batch.run(options);
    }
    QStringList results() const
    {
        QStringList out;
        for (const BatchOutcome &o : outcomes)
            out.append(QString::number(o.entry.Cislo) + u' ' + o.result);
        return out;
    }

    registry::test::Root root;
    platform::ScriptedMessages messages;
    data::TDM1 dm{data::Collaborators::tablesOnly()};
    std::unique_ptr<registry::SettlementList> list;
    QList<BatchOutcome> outcomes;
};

} // namespace

class TestRootBatch : public QObject
{
    Q_OBJECT

private slots:
    // Only a protected settlement asks for its password; what the list would
    // not open is a line of its own, and the run goes on.
    void eachSettlementGetsALine_data()
    {
        QTest::addColumn<QVariant>("given");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("failed");
        QTest::addColumn<int>("skipped");
        QTest::newRow("no password known") << QVariant() << u"2 chráněno heslem, přeskočeno"_s << 2 << 1;
        QTest::newRow("left empty") << QVariant(QString()) << u"2 chráněno heslem, přeskočeno"_s << 2 << 1;
        QTest::newRow("letter case counts")
            << QVariant(u"abc"_s) << u"2 Neplatné heslo pro toto Qesto."_s << 3 << 0;
        QTest::newRow("right") << QVariant(u"Abc"_s) << u"2 nálezů: "_s << 2 << 0;
    }
    void eachSettlementGetsALine()
    {
        QFETCH(QVariant, given);
        QFETCH(QString, second);
        QFETCH(int, failed);
        QFETCH(int, skipped);
        BatchRoot r({u"Alfa"_s, u"Beta"_s});
        QVERIFY(r.list->setPassword(2, u"Abc"_s));
        // A list anyone may edit: a folder outside the data root, and one
        // that is gone.
        r.root.addEntries({{3, 3, u"Ven"_s, u".."_s}, {4, 4, u"Pryč"_s, u"D4"_s}});
        r.list->refresh();

        settlement::RootBatch batch(*r.list);
        QList<int> asked;
        batch.setPasswords([&](const registry::Settlement &s) -> std::optional<QString> {
            asked.append(s.Cislo);
            return given.isValid() ? std::optional<QString>(given.toString()) : std::nullopt;
        });
        const settlement::BatchSummary summary = r.run(batch, {});
        QCOMPARE(asked, QList<int>{2});
        const QStringList results = r.results();
        QCOMPARE(results.size(), 4);
        QVERIFY2(results[0].startsWith(u"1 nálezů: "_s), qPrintable(results[0]));
        QVERIFY2(results[1].startsWith(second), qPrintable(results[1]));
        QVERIFY(results[2].startsWith(u"3 Adresář "_s) && results[2].endsWith(u" neexistuje."_s));
        QVERIFY(results[3].startsWith(u"4 Adresář "_s));
        QCOMPARE(summary.failed, failed);
        QCOMPARE(summary.skipped, skipped);
        QCOMPARE(summary.exitCode(), 1);
        QCOMPARE(summary.text(),
                 u"Celkem 4 Qesto: 0 v pořádku, %1 s nálezy, %2 s chybou, %3 přeskočeno (heslo)."_s
                     .arg(4 - failed - skipped)
                     .arg(failed)
                     .arg(skipped));
        // A finding names its check, for its place in the help.
        QVERIFY(!r.outcomes[0].findings.isEmpty());
        for (const statements::FilingIssue &issue : std::as_const(r.outcomes[0].findings))
            QVERIFY(!issue.check.isEmpty());
        QVERIFY(r.messages.shown().isEmpty());
    }

    void cancellingStopsBeforeTheNextSettlement()
    {
        BatchRoot r({u"Alfa"_s, u"Beta"_s, u"Gama"_s});
        settlement::RootBatch batch(*r.list);
        QList<int> told;
        batch.setProgress([&](int index, int count, const registry::Settlement &s) {
            told.append(index * 100 + count * 10 + s.Cislo);
            return index < 1;
        });
        const settlement::BatchSummary summary = r.run(batch, {});
        QCOMPARE(told, (QList<int>{31, 132}));
        QCOMPARE(r.outcomes.size(), 1);
        QVERIFY(summary.cancelled);
        QCOMPARE(summary.done, 1);
        QCOMPARE(summary.text(),
                 u"Přerušeno po 1 z 3 Qesto: 0 v pořádku, 1 s nálezy, 0 s chybou, 0 přeskočeno (heslo)."_s);
    }

    // Folders differing only in letter case are one folder to some systems:
    // the second file of the run gets a number instead of replacing the first.
    void filesOfOneRunNeverReplaceEachOther()
    {
        BatchRoot r({u"Alfa"_s});
        r.root.addEntries({{2, 2, u"Malá"_s, u"d1"_s}});
        QVERIFY(QDir().mkpath(r.root.fileDir + u"d1"_s));
        for (const QString &f : data::settlementFileNames())
            QVERIFY(QFile::copy(r.root.fileDir + u"D1/"_s + f, r.root.fileDir + u"d1/"_s + f));
        r.list->refresh();
        QTemporaryDir out;
        settlement::RootBatch batch(*r.list);
        settlement::BatchOptions options;
        options.kind = BatchKind::Pdf;
        options.outDir = out.path() + u"/tisk"_s;
        const settlement::BatchSummary summary = r.run(batch, options);
        QCOMPARE(r.results(), (QStringList{u"1 zapsáno D1.pdf"_s, u"2 zapsáno d1-2.pdf"_s}));
        QCOMPARE(summary.text(), u"Celkem 2 Qesto: 2 v pořádku, 0 s chybou, 0 přeskočeno (heslo)."_s);
        QStringList files = QDir(options.outDir).entryList(QDir::Files);
        files.sort();
        QCOMPARE(files, (QStringList{u"D1.pdf"_s, u"d1-2.pdf"_s}));

        // A folder that cannot be made stops the run before it starts.
        r.outcomes.clear();
        options.outDir = options.outDir + u"/D1.pdf/x"_s;
        const settlement::BatchSummary refused = r.run(batch, options);
        QVERIFY(refused.error.startsWith(u"Adresář "_s));
        QCOMPARE(refused.done, 0);
        QVERIFY(r.outcomes.isEmpty());
    }
};

QTEST_MAIN(TestRootBatch)
#include "test_root_batch.moc"
