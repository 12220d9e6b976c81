// Backup and restore of a settlement's files: the round trip, archives that
// are no backup of ours, hostile archives, and backups that fail.

#include "BackupFixture.h"
#include "SettlementFixture.h"

#include "backup/BackupJobs.h"
#include "backup/SettlementArchive.h"
#include "backup/ZipArchive.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace backuptest;

namespace {

const QString RestoreFailed = u"Chyba při obnově datových souborů."_s;

// Everything in the temporary folder except the settlement directory and
// the archives the test itself wrote: what no restore may touch.
Files outside(const Fixture &f)
{
    Files files = tree(f.tmp.path());
    for (auto it = files.begin(); it != files.end();) {
        if (it.key().startsWith(u"root/D1/"_s) || it.key().endsWith(u".zip"_s))
            it = files.erase(it);
        else
            ++it;
    }
    return files;
}

QList<std::pair<QByteArray, QByteArray>> entriesOf(const Files &files)
{
    QList<std::pair<QByteArray, QByteArray>> entries;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        entries.append({it.key().toUtf8(), it.value()});
    return entries;
}

// An archive of the settlement's data files as edit leaves them; the tables
// are closed.
QString archiveOf(Fixture &f, const QString &name, const std::function<void(Files &)> &edit)
{
    f.dm.Disconnect();
    Files files = dataFiles(f.dir);
    edit(files);
    const QString zip = f.tmp.path() + u'/' + name;
    return writeZip(zip, entriesOf(files)) ? zip : QString();
}

// Sets the 32-bit little-endian field at offset of every header that names
// `name` (local headers: signature PK\3\4, central: PK\1\2).
void forgeSize(QByteArray &zip, const QByteArray &name, quint32 size)
{
    for (qsizetype at = 0; (at = zip.indexOf(name, at)) >= 0; at += name.size()) {
        qsizetype field = -1;
        if (at >= 30 && zip.mid(at - 30, 4) == QByteArray("PK\x03\x04", 4))
            field = at - 30 + 22;
        else if (at >= 46 && zip.mid(at - 46, 4) == QByteArray("PK\x01\x02", 4))
            field = at - 46 + 24;
        if (field < 0)
            continue;
        for (int i = 0; i < 4; ++i)
            zip[field + i] = char((size >> (8 * i)) & 0xff);
    }
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void roundTripRestoresEveryFileByteForByte()
    {
        Fixture f;
        const QString zip = f.tmp.path() + u"/Zaloha/D1.zip"_s;
        const backup::Outcome saved =
            backup::backupOpenSettlement(f.dm, f.dir, u"D1"_s, zip, true, f.reopening());
        QVERIFY2(saved.ok, qPrintable(saved.message));
        QCOMPARE(saved.message, u"Data byla zazálohována."_s);
        QVERIFY(f.dm.tablesOpen());
        const Files before = dataFiles(f.dir);
        QCOMPARE(before.size(), 11);
        const QByteArray ini = readAll(f.dir + u"/D1.ini"_s);

        f.fill(u"Jiná firma a.s."_s, 5.0);
        QVERIFY(dataFiles(f.dir) != before);
        int progress = 0;
        const backup::Outcome restored = backup::restoreOpenSettlement(
            f.dm, f.dir, u"D1"_s, zip, f.reopening(), [&progress] { ++progress; });
        QVERIFY2(restored.ok, qPrintable(restored.errors.join(u'\n')));
        QVERIFY(restored.message.startsWith(u"Data byla obnovena.\nPůvodní data jsou uložena v souboru "_s));
        QVERIFY(restored.errors.isEmpty());
        QVERIFY(progress > 0);
        QVERIFY(f.dm.tablesOpen());
        QCOMPARE(f.dm.field(u"PrpOjv"_s)->asString(), u"Stavby Novák s.r.o."_s);
        f.dm.Disconnect();
        QCOMPARE(dataFiles(f.dir), before);
        // The settings file stays the settlement's own, and no work folder
        // remains: only the archive of the replaced data.
        QCOMPARE(readAll(f.dir + u"/D1.ini"_s), ini);
        const QStringList kept =
            QDir(f.dir + u"/Zaloha"_s).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QCOMPARE(kept.size(), 1);
        QVERIFY(kept.first().startsWith(u"Pred obnovou "_s));
    }

    void restoreCanBeUndoneAndKeepsFiveArchives()
    {
        Fixture f;
        const QString zip = f.tmp.path() + u"/D1.zip"_s;
        QVERIFY(backup::backupOpenSettlement(f.dm, f.dir, u"D1"_s, zip, false, f.reopening()).ok);
        f.fill(u"Stavby Novák s.r.o."_s, 77.0);
        f.dm.Disconnect();
        const Files changed = dataFiles(f.dir);
        // Archives of earlier restores, the oldest first.
        const QString work = f.dir + u"/Zaloha"_s;
        QVERIFY(QDir().mkpath(work));
        for (int i = 0; i < 6; ++i) {
            QFile old(work + u"/Pred obnovou 0%1012015-120000.zip"_s.arg(i + 1));
            QVERIFY(old.open(QIODevice::WriteOnly));
            QVERIFY(old.setFileTime(QDateTime::currentDateTime().addDays(i - 10),
                                    QFileDevice::FileModificationTime));
        }
        f.dm.OtevritTabulky();

        const backup::Outcome restored =
            backup::restoreOpenSettlement(f.dm, f.dir, u"D1"_s, zip, f.reopening());
        QVERIFY2(restored.ok, qPrintable(restored.errors.join(u'\n')));
        const QStringList left = QDir(work).entryList({u"Pred obnovou *.zip"_s}, QDir::Files, QDir::Time);
        QCOMPARE(left.size(), backup::keptBeforeRestore());
        QVERIFY(restored.message.endsWith(QDir::toNativeSeparators(work + u'/' + left.first()) + u'.'));
        QVERIFY(!left.contains(u"Pred obnovou 01012015-120000.zip"_s));
        QVERIFY(!left.contains(u"Pred obnovou 02012015-120000.zip"_s));
        QCOMPARE(f.dm.field(u"VdvlSl21"_s)->asFloat(), 1000.0);

        // Restoring the kept archive brings the replaced data back.
        const backup::Outcome undone =
            backup::restoreOpenSettlement(f.dm, f.dir, u"D1"_s, work + u'/' + left.first(), f.reopening());
        QVERIFY2(undone.ok, qPrintable(undone.errors.join(u'\n')));
        QCOMPARE(f.dm.field(u"VdvlSl21"_s)->asFloat(), 77.0);
        f.dm.Disconnect();
        QCOMPARE(dataFiles(f.dir), changed);
    }

    void restoredDataThatDoNotOpenAreRolledBack()
    {
        Fixture f;
        const QString zip = f.tmp.path() + u"/D1.zip"_s;
        QVERIFY(backup::backupOpenSettlement(f.dm, f.dir, u"D1"_s, zip, false, f.reopening()).ok);
        f.fill(u"Jiná firma a.s."_s, 5.0);
        f.dm.Disconnect();
        const Files before = tree(f.dir);
        f.dm.OtevritTabulky();

        // The opening refuses the restored files once, as a table held by
        // another program would make it.
        int openings = 0;
        const backup::Reopening refusing = [&](data::TDM1 &dm) {
            if (openings++ == 0)
                throw platform::Error(u"Tabulku Vdvl.DB nelze otevřít."_s);
            return f.reopening()(dm);
        };
        const backup::Outcome outcome = backup::restoreOpenSettlement(f.dm, f.dir, u"D1"_s, zip, refusing);
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.message, RestoreFailed);
        QCOMPARE(outcome.errors, (QStringList{u"Tabulku Vdvl.DB nelze otevřít."_s,
                                              u"Obnovená data nelze otevřít, původní data byla vrácena."_s}));
        QCOMPARE(openings, 2);
        QVERIFY(f.dm.tablesOpen());
        QCOMPARE(f.dm.field(u"PrpOjv"_s)->asString(), u"Jiná firma a.s."_s);
        f.dm.Disconnect();
        // No archive of replaced data and no work folder: nothing was replaced.
        QCOMPARE(tree(f.dir), before);
    }

    void archiveOfAnotherStructureIsRefusedNamingTheTable()
    {
        Fixture f;
        const QString zip = archiveOf(
            f, u"swapped.zip"_s, [](Files &files) { std::swap(files[u"Vdvl.DB"_s], files[u"Vdvs.DB"_s]); });
        QVERIFY(!zip.isEmpty());
        const Files before = tree(f.dir);
        f.dm.OtevritTabulky();

        const backup::Outcome outcome =
            backup::restoreOpenSettlement(f.dm, f.dir, u"D1"_s, zip, f.reopening());
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.message, RestoreFailed);
        QVERIFY2(outcome.errors.join(u'\n').contains(u"Vdvl.DB"_s) ||
                     outcome.errors.join(u'\n').contains(u"Vdvs.DB"_s),
                 qPrintable(outcome.errors.join(u'\n')));
        QVERIFY(f.dm.tablesOpen());
        f.dm.Disconnect();
        QCOMPARE(tree(f.dir), before);
    }

    void keyedTableWithoutItsIndexGetsANewOne()
    {
        Fixture f;
        const QString zip = archiveOf(f, u"noindex.zip"_s, [](Files &files) { files.remove(u"Vpz.PX"_s); });
        QVERIFY(!zip.isEmpty());
        // The settlement's own index now describes other rows.
        f.dm.OtevritTabulky();
        for (int i = 0; i < 3; ++i)
            f.fill(u"Pobočka %1"_s.arg(i), 1.0);
        f.dm.Disconnect();
        const QByteArray staleIndex = readAll(f.dir + u"/Vpz.PX"_s);
        f.dm.OtevritTabulky();

        const backup::Outcome outcome =
            backup::restoreOpenSettlement(f.dm, f.dir, u"D1"_s, zip, f.reopening());
        QVERIFY2(outcome.ok, qPrintable(outcome.errors.join(u'\n')));
        QCOMPARE(f.dm.Vpz().recordCount(), 1);
        f.dm.Disconnect();
        const QByteArray restoredIndex = readAll(f.dir + u"/Vpz.PX"_s);
        QVERIFY(restoredIndex != staleIndex);
        paradox::OpenOptions exclusive;
        exclusive.mode = paradox::OpenMode::Exclusive;
        exclusive.password = data::TDM1::tablesPassword();
        paradox::Table::open(f.dir + u"/Vpz.DB"_s, exclusive)->rebuildIndexes();
        QCOMPARE(readAll(f.dir + u"/Vpz.PX"_s), restoredIndex);
    }

    void companyOfAnArchiveIsReadBeforeAnything()
    {
        Fixture f;
        const QString zip = f.tmp.path() + u"/D1.zip"_s;
        QVERIFY(backup::backupOpenSettlement(f.dm, f.dir, u"D1"_s, zip, false, f.reopening()).ok);
        f.dm.Disconnect();
        const Files before = tree(f.dir);
        const backup::CompanyOfData archived = backup::companyInArchive(zip);
        QVERIFY2(archived.found, qPrintable(archived.error));
        QCOMPARE(archived.name, u"Stavby Novák s.r.o."_s);
        QVERIFY(archived.date.isValid());
        QVERIFY(backup::restoreQuestion(archived).startsWith(
            u"Opravdu chcete obnovit data ?\n\nArchiv obsahuje data firmy Stavby Novák s.r.o. ze dne "_s));
        QCOMPARE(tree(f.dir), before);
        QVERIFY(!backup::companyInArchive(f.tmp.path() + u"/none.zip"_s).found);
    }

    void sameCompany_data()
    {
        QTest::addColumn<QString>("nameA");
        QTest::addColumn<QString>("dicA");
        QTest::addColumn<QString>("nameB");
        QTest::addColumn<QString>("dicB");
        QTest::addColumn<bool>("same");
        QTest::newRow("same DIČ, renamed") << "Alfa s.r.o."
                                           << "CZ12345678"
                                           << "Alfa a.s."
                                           << "CZ 12345678" << true;
        QTest::newRow("other DIČ, same name") << "Alfa"
                                              << "CZ12345678"
                                              << "Alfa"
                                              << "CZ87654321" << false;
        QTest::newRow("no DIČ: the name decides") << "Jan  Novák"
                                                  << ""
                                                  << "jan novák"
                                                  << "CZ12345678" << true;
        QTest::newRow("no DIČ, other name") << "Jan Novák"
                                            << ""
                                            << "Petr Novák"
                                            << "" << false;
    }
    void sameCompany()
    {
        QFETCH(QString, nameA);
        QFETCH(QString, dicA);
        QFETCH(QString, nameB);
        QFETCH(QString, dicB);
        QFETCH(bool, same);
        backup::CompanyOfData a{true, nameA, dicA, {}, {}};
        backup::CompanyOfData b{true, nameB, dicB, {}, {}};
        QCOMPARE(backup::sameCompany(a, b), same);
        QCOMPARE(backup::sameCompany(b, a), same);
    }

    void leftoversOfKilledBackupsGo()
    {
        Fixture f;
        const QString folder = f.tmp.path() + u"/Archiv"_s;
        QVERIFY(QDir().mkpath(folder));
        const auto touch = [&folder](const QString &name, int ageSecs) {
            QFile file(folder + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs),
                                     QFileDevice::FileModificationTime));
        };
        touch(u"D1.zip.tmp-1a2b3c4d"_s, 5);  // this archive's, killed a moment ago
        touch(u"D2.zip.tmp-99"_s, 2 * 3600); // another's, long dead
        touch(u"D3.zip.tmp-42"_s, 5);        // another's, maybe still being written
        touch(u"Poznamky.txt"_s, 2 * 3600);
        QVERIFY(
            backup::backupOpenSettlement(f.dm, f.dir, u"D1"_s, folder + u"/D1.zip"_s, false, f.reopening())
                .ok);
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
                 (QStringList{u"D1.zip"_s, u"D3.zip.tmp-42"_s, u"Poznamky.txt"_s}));
    }

    void archiveLeavesOutTheSettingsAndLocks()
    {
        Fixture f;
        const QString zip = f.tmp.path() + u"/a.zip"_s;
        QVERIFY(backup::backupOpenSettlement(f.dm, f.dir, u"D1"_s, zip, false, f.reopening()).ok);
        const QString listing = f.tmp.path() + u"/list"_s;
        QVERIFY(QDir().mkpath(listing));
        const backup::ExtractResult all =
            backup::extractNamed(zip, {u"D1.ini"_s, u"Pdoxusrs.lck"_s, u"Vdvl.DB"_s}, listing);
        QCOMPARE(all.extracted, QStringList{u"Vdvl.DB"_s});
    }

    void arbitraryArchiveChangesNothing()
    {
        Fixture f;
        const QString zip = f.tmp.path() + u"/other.zip"_s;
        QVERIFY(writeZip(zip, {{"readme.txt", "hello"}, {"Data/Dmt.DB", "x"}, {"Vdvl.DB", "not a table"}}));
        f.dm.Disconnect();
        const Files before = tree(f.dir);
        f.dm.OtevritTabulky();
        const backup::Outcome outcome =
            backup::restoreOpenSettlement(f.dm, f.dir, u"D1"_s, zip, f.reopening());
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.message, RestoreFailed);
        QVERIFY(f.dm.tablesOpen());
        f.dm.Disconnect();
        QCOMPARE(tree(f.dir), before);
    }

    void olderArchiveWithSevenFilesIsTakenAndRecalculated()
    {
        Fixture f;
        // A settlement of an earlier version: seven files in older layouts.
        QTemporaryDir olderRoot;
        const QString older = dm1test::makeOldestSettlement(olderRoot.path());
        const QString zip = f.tmp.path() + u"/older.zip"_s;
        const backup::PackResult packed = backup::packDirectory(
            older, [](const QString &name) { return backup::leftOutOfArchive(name, u"D1"_s); }, zip,
            backup::Compression::Deflate);
        QVERIFY(packed.ok);
        QCOMPARE(packed.entries, 7);

        int recalculated = 0;
        const backup::Outcome outcome = backup::restoreOpenSettlement(
            f.dm, f.dir, u"D1"_s, zip, f.reopening([&recalculated](data::TDM1 &) { ++recalculated; }));
        QVERIFY2(outcome.ok, qPrintable(outcome.errors.join(u'\n')));
        QVERIFY(outcome.message.startsWith(u"Data byla obnovena.\n"_s));
        QCOMPARE(recalculated, 1);
        QVERIFY(f.dm.upgradeFlags().any());
        QCOMPARE(f.dm.field(u"PrpOpr"_s)->asString(), u"Stavby Novák s.r.o."_s);
        // The tables the archive lacked were made again by the opening, and
        // the user is told which.
        QVERIFY(QFile::exists(f.dir + u"/Vdvs.DB"_s));
        QVERIFY2(outcome.errors.contains(u"Tabulky vytvořené znovu prázdné: Vdvs.DB, Vpkb.DB, Mzd11.DB."_s),
                 qPrintable(outcome.errors.join(u'\n')));
    }

    void hostileArchives_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("paths leaving the folder") << u"traversal"_s << false;
        QTest::newRow("paths leaving the folder beside a backup") << u"traversal+backup"_s << true;
        QTest::newRow("two entries for one name") << u"duplicate"_s << false;
        QTest::newRow("names differing in case") << u"duplicate-case"_s << false;
        QTest::newRow("a link in place of a table") << u"link"_s << false;
        QTest::newRow("1 GB declared") << u"bomb"_s << false;
        QTest::newRow("cut short") << u"truncated"_s << false;
        QTest::newRow("a table that does not open") << u"damaged"_s << false;
    }

    void hostileArchives()
    {
        QFETCH(QString, kind);
        QFETCH(bool, accepted);
        Fixture f;
        const QString good = f.tmp.path() + u"/good.zip"_s;
        QVERIFY(backup::backupOpenSettlement(f.dm, f.dir, u"D1"_s, good, false, f.reopening()).ok);
        f.dm.Disconnect();
        const Files backedUp = dataFiles(f.dir);
        f.dm.OtevritTabulky();
        f.fill(u"Změněná firma"_s, 7.0);
        f.dm.Disconnect();
        const Files current = tree(f.dir);
        const Files around = outside(f);
        f.dm.OtevritTabulky();

        const QString zip = f.tmp.path() + u"/hostile.zip"_s;
        QList<std::pair<QByteArray, QByteArray>> entries;
        const QList<std::pair<QByteArray, QByteArray>> good11 = entriesOf(backedUp);
        if (kind.startsWith(u"traversal"_s)) {
            entries = {{"../evil.txt", "x"},
                       {"../../evil2.txt", "x"},
                       {"../D1.ini", "[Cesty]\r\n"},
                       {"/tmp/qesto-absolute.DB", "x"},
                       {"..\\Vdvl.DB", backedUp.value(u"Vdvl.DB"_s)},
                       {"sub/../../Prp.DB", backedUp.value(u"Prp.DB"_s)},
                       {"C:\\Windows\\Dmt.DB", "x"}};
            if (kind.endsWith(u"backup"_s))
                entries += good11;
            QVERIFY(writeZip(zip, entries));
        } else if (kind == u"duplicate") {
            entries = good11;
            entries.append({QByteArray("Vdvl.DX"), QByteArray("duplicate content of another length")});
            QVERIFY(writeZip(zip, entries));
            QByteArray bytes = readAll(zip);
            bytes.replace("Vdvl.DX", "Vdvl.DB");
            QFile out(zip);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        } else if (kind == u"duplicate-case") {
            entries = good11;
            entries.append({QByteArray("VDVL.DB"), backedUp.value(u"Vdvs.DB"_s)});
            QVERIFY(writeZip(zip, entries));
        } else if (kind == u"link") {
            int error = 0;
            zip_t *z = zip_open(QFile::encodeName(zip).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
            QVERIFY(z);
            // libzip reads the buffers at zip_close, so they outlive the loop.
            const QByteArray linkTarget("/etc/passwd");
            for (const auto &[name, bytes] : good11) {
                const bool link = name == "Vdvl.DB";
                const QByteArray &content = link ? linkTarget : bytes;
                zip_source_t *src =
                    zip_source_buffer(z, content.constData(), zip_uint64_t(content.size()), 0);
                const zip_int64_t i = zip_file_add(z, name.constData(), src, 0);
                QVERIFY(i >= 0);
                if (link)
                    zip_file_set_external_attributes(z, zip_uint64_t(i), 0, ZIP_OPSYS_UNIX, (0120777u) << 16);
            }
            QCOMPARE(zip_close(z), 0);
        } else if (kind == u"bomb") {
            QVERIFY(writeZip(zip, good11));
            QByteArray bytes = readAll(zip);
            forgeSize(bytes, "Vdvl.DB", 1u << 30);
            QFile out(zip);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        } else if (kind == u"truncated") {
            const QByteArray bytes = readAll(good);
            QFile out(zip);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes.left(bytes.size() * 2 / 3));
        } else if (kind == u"damaged") {
            entries = good11;
            for (auto &[name, bytes] : entries) {
                if (name == "Vdvl.DB")
                    bytes = bytes.left(100);
            }
            QVERIFY(writeZip(zip, entries));
        }

        const backup::Outcome outcome =
            backup::restoreOpenSettlement(f.dm, f.dir, u"D1"_s, zip, f.reopening());
        QCOMPARE(outcome.ok, accepted);
        QVERIFY(f.dm.tablesOpen());
        f.dm.Disconnect();
        QCOMPARE(outside(f), around);
        QVERIFY(!QFile::exists(u"/tmp/qesto-absolute.DB"_s));
        if (accepted) {
            QCOMPARE(dataFiles(f.dir), backedUp);
        } else {
            QCOMPARE(outcome.message, RestoreFailed);
            QCOMPARE(tree(f.dir), current);
        }
    }

    void inflatingPastTheLimitIsRefused()
    {
        QTemporaryDir tmp;
        const QString zip = tmp.path() + u"/zeros.zip"_s;
        QVERIFY(writeZip(zip, {{"Vdvl.DB", QByteArray(4 << 20, '\0')}}));
        QVERIFY(QFileInfo(zip).size() < 64 * 1024);
        const QString dest = tmp.path() + u"/out"_s;
        QVERIFY(QDir().mkpath(dest));
        backup::ExtractLimits limits;
        limits.maxEntrySize = 1 << 20;
        const backup::ExtractResult r = backup::extractNamed(zip, {u"Vdvl.DB"_s}, dest, limits);
        QCOMPARE(r.status, backup::ExtractResult::Status::Refused);
        QVERIFY(QFileInfo(dest + u"/Vdvl.DB"_s).size() <= (1 << 20));
    }

    void failedBackupKeepsThePreviousArchive()
    {
        Fixture f;
        const QString zip = f.tmp.path() + u"/D1.zip"_s;
        QVERIFY(backup::backupOpenSettlement(f.dm, f.dir, u"D1"_s, zip, false, f.reopening()).ok);
        const QByteArray previous = readAll(zip);
        f.dm.Disconnect();
        // A file that goes away while the archive is being written.
        QFile extra(f.dir + u"/Poznamka.txt"_s);
        QVERIFY(extra.open(QIODevice::WriteOnly));
        extra.write("pozn\xc3\xa1mka");
        extra.close();
        const backup::PackResult r =
            backup::backupSettlement(f.dir, u"D1"_s, zip, [&extra] { QFile::remove(extra.fileName()); });
        QVERIFY(!r.ok);
        // The archive cannot be made because a file of the settlement
        // cannot be read: the message says which.
        QVERIFY2(r.error.startsWith(u"Soubor %1 nelze vytvořit.\n"_s.arg(QDir::toNativeSeparators(zip))),
                 qPrintable(r.error));
        QVERIFY2(r.error.contains(u"Poznamka.txt"_s), qPrintable(r.error));
        QCOMPARE(readAll(zip), previous);
        QCOMPARE(QDir(f.tmp.path()).entryList({u"D1.zip*"_s}, QDir::Files), QStringList{u"D1.zip"_s});
    }

    void unreadableArchiveIsReportedAndChangesNothing()
    {
        Fixture f;
        const QString zip = f.tmp.path() + u"/text.zip"_s;
        QFile out(zip);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("this is not an archive");
        out.close();
        f.dm.Disconnect();
        const Files before = tree(f.dir);
        f.dm.OtevritTabulky();
        const backup::Outcome outcome =
            backup::restoreOpenSettlement(f.dm, f.dir, u"D1"_s, zip, f.reopening());
        QCOMPARE(outcome.errors,
                 QStringList{u"Soubor %1 nelze otevřít."_s.arg(QDir::toNativeSeparators(zip))});
        QCOMPARE(outcome.message, RestoreFailed);
        f.dm.Disconnect();
        QCOMPARE(tree(f.dir), before);
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
