// A table's files seen through the file layer: a read that fails for a
// moment is reported and changes nothing, and a copy that fails at any step
// leaves the target as it was.
#include "FaultyFiles.h"

#include "paradox/Journal.h"
#include "paradox/Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestTableFiles)
#include "test_table_files.moc"
