// A table's files seen through the file layer: a read that fails for a
// moment is reported and changes nothing, and a copy that fails at any step
// leaves the target as it was.
#include "FaultyFiles.h"

#include "paradox/Journal.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <map>

using namespace Qt::StringLiterals;
using namespace paradox;

namespace {

// Every file of the directory with its bytes.
std::map<QString, QByteArray> snapshot(const QString &dir)
{
    std::map<QString, QByteArray> files;
    for (const QString &name : QDir(dir).entryList(QDir::Files)) {
        QFile f(QDir(dir).filePath(name));
        if (f.open(QIODevice::ReadOnly))
            files[name] = f.readAll();
    }
    return files;
}

Schema passwordSchema()
{
    Schema s;
    s.fields = {field(u"Cislo"_s, FieldType::Short), alpha(u"Heslo"_s, 20)};
    s.keyFields = 1;
    return s;
}

Schema listSchema()
{
    Schema s;
    s.fields = {field(u"Cislo"_s, FieldType::Short), alpha(u"Nazev"_s, 40), alpha(u"Adresar"_s, 80)};
    s.keyFields = 1;
    return s;
}

// A list table with a secondary index on its names: four files to copy.
void writeList(const QString &path, const QStringList &names)
{
    auto t = Table::create(path, listSchema());
    for (int i = 0; i < names.size(); ++i)
        t->append({i + 1, names[i], u"Data\\%1"_s.arg(i + 1)});
    SecondaryIndex::build(*t, 1);
}

// A source table and a target of the same name in directories of their own.
struct CopyDirs
{
    QTemporaryDir from;
    QTemporaryDir to;
    const QString source = from.filePath(u"Data.DB"_s);
    const QString target = to.filePath(u"Data.DB"_s);
};

// Stops the process, as far as the files can tell, before its Nth change of
// a file: the change is not made, and nothing after it runs.
struct Killed
{
};

class DyingFiles final : public FileLayer
{
public:
    explicit DyingFiles(int changesBeforeDeath) : m_left(changesBeforeDeath) {}

    bool copy(const QString &from, const QString &to, QString &error) const override
    {
        die();
        return FileLayer::copy(from, to, error);
    }
    bool rename(const QString &from, const QString &to, QString &error) const override
    {
        die();
        return FileLayer::rename(from, to, error);
    }
    bool remove(const QString &path, QString &error) const override
    {
        die();
        return FileLayer::remove(path, error);
    }
    bool died() const { return m_left < 0; }

private:
    void die() const
    {
        if (--m_left < 0)
            throw Killed{};
    }
    mutable int m_left;
};

QStringList texts(const Table &t, int field)
{
    QStringList out;
    for (int r = 0; r < t.recordCount(); ++r)
        out << t.value(r, field).toString();
    return out;
}

} // namespace

class TestTableFiles : public QObject
{
    Q_OBJECT

private slots:
    // A table unreadable for one open is refused as unreadable (not as
    // damaged, which would let a caller replace it) and no file is touched;
    // the next open reads it whole.
    void readFailingForAMoment()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Uziv.DB"_s);
        {
            auto t = Table::create(path, passwordSchema());
            t->append({1, u"tajné"_s});
            t->append({2, u"heslo"_s});
        }
        const auto before = snapshot(dir.path());
        auto faulty = std::make_shared<FaultyFiles>();
        OpenOptions options;
        options.files = faulty;

        faulty->fail(FaultyFiles::Read, u"Uziv.DB"_s);
        try {
            Table::open(path, options);
            QFAIL("open succeeded");
        } catch (const TableError &e) {
            QCOMPARE(e.kind(), TableError::Kind::Unreadable);
            QVERIFY2(e.message().startsWith(u"Tabulku Uziv.DB nelze otevřít: "_s), qPrintable(e.message()));
        }
        QCOMPARE(snapshot(dir.path()), before);

        faulty->fail(FaultyFiles::Read, u"Uziv.DB"_s);
        try {
            for (RowCursor c = Table::stream(path, options); c.next();) {
            }
            QFAIL("stream succeeded");
        } catch (const TableError &e) {
            QCOMPARE(e.kind(), TableError::Kind::Unreadable);
        }
        QCOMPARE(snapshot(dir.path()), before);

        auto t = Table::open(path, options);
        QCOMPARE(texts(*t, 1), (QStringList{u"tajné"_s, u"heslo"_s}));
    }

    // The journal of a change a killed process left unfinished is the only
    // way back to the table's old state: while it cannot be read it stays,
    // and the table is refused rather than read half changed.
    void unreadableJournalIsKept()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Uziv.DB"_s);
        QByteArray before;
        {
            auto t = Table::create(path, passwordSchema());
            t->append({1, u"staré"_s});
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            before = f.readAll();
            t->update(0, {1, u"nové"_s});
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        journal::Journal j;
        j.originalSize = before.size();
        j.oldStamp = before.left(0x78);
        j.newStamp = f.read(0x78);
        j.ranges.append({0, before});
        journal::write(journal::pathFor(path), j, u"Uziv.DB"_s);

        auto faulty = std::make_shared<FaultyFiles>();
        faulty->fail(FaultyFiles::Read, u"Uziv.JRN"_s);
        OpenOptions options;
        options.files = faulty;
        try {
            Table::open(path, options);
            QFAIL("open succeeded");
        } catch (const TableError &e) {
            QCOMPARE(e.kind(), TableError::Kind::Unreadable);
            QCOMPARE(e.message(),
                     u"Nedokončenou změnu tabulky Uziv.DB nelze vrátit: Přístup odepřen (zkouška)"_s);
        }
        QVERIFY(QFile::exists(journal::pathFor(path)));

        auto t = Table::open(path, options);
        QCOMPARE(texts(*t, 1), QStringList{u"staré"_s});
        QVERIFY(!QFile::exists(journal::pathFor(path)));
    }

    // A copy that fails at any one step (a copy, a rename, a removal) leaves
    // the target as the old table whole, with none of the copy's temporary
    // files; the source is never touched. Every step is made to fail in turn
    // until the copy runs through.
    void copyFailingAtEachStep()
    {
        int steps = 0;
        for (int skip = 0;; ++skip) {
            CopyDirs dirs;
            const QString &source = dirs.source;
            const QString &target = dirs.target;
            writeList(source, {u"Nová s.r.o."_s, u"Druhá a.s."_s, u"Třetí v.o.s."_s});
            writeList(target, {u"Stará s.r.o."_s});
            // An index of a field the source has none of: stale once the copy is in.
            SecondaryIndex::build(*Table::open(target), 2);
            const auto sourceBefore = snapshot(dirs.from.path());
            const auto targetBefore = snapshot(dirs.to.path());

            auto faulty = std::make_shared<FaultyFiles>();
            faulty->fail(FaultyFiles::AnyChange, {}, 1, skip);
            OpenOptions options;
            options.files = faulty;
            bool thrown = false;
            try {
                Table::copyTable(source, target, options);
            } catch (const TableError &e) {
                thrown = true;
                QCOMPARE(e.kind(), TableError::Kind::Unreadable);
                QVERIFY2(e.message().startsWith(u"Tabulku Data.DB nelze zkopírovat do "_s),
                         qPrintable(e.message()));
                QVERIFY2(e.message().endsWith(u": Síťová cesta není dostupná (zkouška)"_s),
                         qPrintable(e.message()));
            }
            const QString step = faulty->log().join(u", "_s);
            QCOMPARE(snapshot(dirs.from.path()), sourceBefore);
            if (faulty->failures() == 0) {
                QVERIFY(!thrown);
                steps = skip;
                QCOMPARE(texts(*Table::open(target), 1),
                         (QStringList{u"Nová s.r.o."_s, u"Druhá a.s."_s, u"Třetí v.o.s."_s}));
                QCOMPARE(QDir(dirs.to.path()).entryList(QDir::Files),
                         (QStringList{u"Data.DB"_s, u"Data.PX"_s, u"Data.X02"_s, u"Data.Y02"_s,
                                      u"Pdoxusrs.lck"_s}));
                break;
            }
            if (thrown) {
                QVERIFY2(snapshot(dirs.to.path()) == targetBefore, qPrintable(step));
                QCOMPARE(texts(*Table::open(target), 1), QStringList{u"Stará s.r.o."_s});
            } else {
                // Only removing an old file once the copy is in may fail
                // without failing the copy; the file stays behind as clutter.
                QVERIFY2(faulty->log().last().startsWith(u"remove "_s), qPrintable(step));
                QCOMPARE(texts(*Table::open(target), 1).size(), 3);
                const QStringList left = QDir(dirs.to.path()).entryList({u"*.old"_s}, QDir::Files);
                QCOMPARE(left.size(), 1);
            }
        }
        // Four copies, six files aside, four renames in, six removals.
        QCOMPARE(steps, 20);
    }

    // A copy killed at any step leaves a table that opens with all its rows,
    // old or new: the opening puts back the files a killed copy had moved
    // aside, and the next copy runs through whatever it left.
    void copyKilledAtEachStep()
    {
        const QStringList oldRows{u"Stará s.r.o."_s};
        const QStringList newRows{u"Nová s.r.o."_s, u"Druhá a.s."_s, u"Třetí v.o.s."_s};
        for (int step = 0;; ++step) {
            CopyDirs dirs;
            writeList(dirs.source, newRows);
            writeList(dirs.target, oldRows);
            auto dying = std::make_shared<DyingFiles>(step);
            OpenOptions options;
            options.files = dying;
            try {
                Table::copyTable(dirs.source, dirs.target, options);
            } catch (const Killed &) {
            }
            const QString where = u"killed before change %1"_s.arg(step + 1);
            const QStringList rows = texts(*Table::open(dirs.target), 1);
            QVERIFY2(rows == oldRows || rows == newRows, qPrintable(where));
            if (!dying->died())
                break;
            Table::copyTable(dirs.source, dirs.target);
            QCOMPARE(texts(*Table::open(dirs.target), 1), newRows);
        }
    }

    // An opening that finds the files set aside while a copy is swapping
    // them (it holds the write guard) waits instead of putting them back
    // under the copy's feet; a guard given up by a killed copy lets it go on.
    void openingWaitsForACopyInProgress()
    {
        CopyDirs dirs;
        const QString &target = dirs.target;
        writeList(target, {u"Stará s.r.o."_s});
        auto copier = TableLock::acquire(target, OpenMode::Shared);
        TableLock::Guard swap = copier->lockForWrite();
        QVERIFY(QFile::rename(target, target + u".old"_s));
        auto opened = std::async(std::launch::async, [&] { return texts(*Table::open(target), 1); });
        QCOMPARE(opened.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        QVERIFY(QFile::exists(target + u".old"_s));
        QVERIFY(!QFile::exists(target));
        swap.release();
        QCOMPARE(opened.get(), QStringList{u"Stará s.r.o."_s});
        QVERIFY(!QFile::exists(target + u".old"_s));
    }

    // When the old files cannot be put back either, they are not removed:
    // the message says where they are.
    void copyFailingTwiceKeepsTheOldFiles()
    {
        CopyDirs dirs;
        const QString &source = dirs.source;
        const QString &target = dirs.target;
        writeList(source, {u"Nová s.r.o."_s});
        writeList(target, {u"Stará s.r.o."_s});
        auto faulty = std::make_shared<FaultyFiles>();
        // Moving the target's .DB aside goes through; renaming the copy into
        // its place fails, and so does putting the old one back.
        faulty->fail(FaultyFiles::Rename, u"Data.DB"_s, 2, 1);
        OpenOptions options;
        options.files = faulty;
        try {
            Table::copyTable(source, target, options);
            QFAIL("copy succeeded");
        } catch (const TableError &e) {
            QVERIFY2(e.message().contains(u"\nPůvodní soubory tabulky zůstaly v adresáři "_s),
                     qPrintable(e.message()));
        }
        QCOMPARE(faulty->failures(), 2);
        QVERIFY(!QFile::exists(target));
        QVERIFY(QFile::exists(target + u".old"_s));
        QVERIFY(QDir(dirs.to.path()).entryList({u"*.copy"_s}, QDir::Files).isEmpty());
        QVERIFY(QFile::rename(target + u".old"_s, target));
        QCOMPARE(texts(*Table::open(target), 1), QStringList{u"Stará s.r.o."_s});
    }

    // A change a killed process left unfinished in the source is rolled
    // back before the copy, as opening the source would; the half-written
    // state never reaches the target.
    void copyRollsBackTheSourcesUnfinishedChange()
    {
        CopyDirs dirs;
        const QString &source = dirs.source;
        writeList(source, {u"První"_s});
        QFile f(source);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        Table::open(source)->append({2, u"Napůl zapsaná"_s, u"X"_s});
        QVERIFY(f.open(QIODevice::ReadOnly));
        journal::Journal j;
        j.originalSize = before.size();
        j.oldStamp = before.left(0x78);
        j.newStamp = f.read(0x78);
        f.close();
        j.ranges.append({0, before});
        journal::write(journal::pathFor(source), j, u"Data.DB"_s);

        const QString &target = dirs.target;
        Table::copyTable(source, target);
        QVERIFY(!QFile::exists(journal::pathFor(source)));
        QVERIFY(!QFile::exists(journal::pathFor(target)));
        QCOMPARE(texts(*Table::open(target), 1), QStringList{u"První"_s});
        QCOMPARE(texts(*Table::open(source), 1), QStringList{u"První"_s});
    }

    // A change being written to the source is waited for, not copied half.
    void copyWaitsForAWriter()
    {
        CopyDirs dirs;
        const QString &source = dirs.source;
        const QString &target = dirs.target;
        writeList(source, {u"První"_s});
        auto writer = TableLock::acquire(source, OpenMode::Shared);
        TableLock::Guard write = writer->lockForWrite();
        auto copied = std::async(std::launch::async, [&] { Table::copyTable(source, target); });
        QCOMPARE(copied.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        QVERIFY(!QFile::exists(target));
        write.release();
        copied.get();
        QCOMPARE(texts(*Table::open(target), 1), QStringList{u"První"_s});
    }
};

QTEST_GUILESS_MAIN(TestTableFiles)
#include "test_table_files.moc"
