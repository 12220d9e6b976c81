// The bytes the engine writes for a new table, against reference files in
// tests/paradox/data: a keyed table of several field types over a few
// blocks, with its .PX and a secondary index. A change in what is written
// (a header field, the block layout, an index entry) shows here even when
// the engine still reads its own files. QESTO_UPDATE_GOLDEN=1 rewrites the
// references from the current engine.
//
// Masked, because it differs from run to run: the update time in the .DB's
// header, 0x60–0x63 (seconds since 1970, written with every change). Nothing
// else in the files depends on the run; the .Xnn, written whole, leaves its
// update time zero.
#include "PxPeer.h"

#include "paradox/SecondaryIndex.h"
#include "paradox/Table.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

using namespace Qt::StringLiterals;
using namespace paradox;

namespace {

const QStringList fileNames = {u"Zam.DB"_s, u"Zam.PX"_s, u"Zam.X03"_s, u"Zam.Y03"_s};

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray masked(const QString &name, QByteArray bytes)
{
    if (name.endsWith(u".DB"_s) && bytes.size() >= 0x64)
        bytes.replace(0x60, 4, QByteArray(4, '\0'));
    return bytes;
}

// Where the files differ: the first differing offsets, and the 16 bytes
// around the first one in both, as hex.
QString differences(const QByteArray &actual, const QByteArray &expected)
{
    QStringList at;
    qsizetype first = -1;
    for (qsizetype i = 0; i < std::max(actual.size(), expected.size()) && at.size() < 8; ++i) {
        if (i >= actual.size() || i >= expected.size() || actual[i] != expected[i]) {
            at << u"0x"_s + QString::number(i, 16);
            if (first < 0)
                first = i;
        }
    }
    const qsizetype line = first / 16 * 16;
    auto hex = [line](const QByteArray &b) { return QString::fromLatin1(b.mid(line, 16).toHex(' ')); };
    return u"sizes %1/%2, differ at %3\n  actual   %4: %5\n  expected %4: %6"_s.arg(actual.size())
        .arg(expected.size())
        .arg(at.join(u", "_s), u"0x"_s + QString::number(line, 16), hex(actual), hex(expected));
}

Schema employees()
{
    Schema s;
    s.fields = {field(u"Firma"_s, FieldType::Short),
                field(u"Oc"_s, FieldType::Long),
                alpha(u"Prijmeni"_s, 30),
                field(u"Narozen"_s, FieldType::Date),
                field(u"Mzda"_s, FieldType::Currency),
                field(u"Koef"_s, FieldType::Number),
                field(u"Aktivni"_s, FieldType::Logical),
                field(u"Poradi"_s, FieldType::Autoinc),
                field(u"Prichod"_s, FieldType::Time),
                field(u"Zmena"_s, FieldType::Timestamp)};
    s.keyFields = 2;
    return s;
}

const QStringList surnames = {u"Novák"_s,   u"Čermák"_s,   u"Dvořák"_s, u"Chalupa"_s, u"Hájek"_s,
                              u"Šťastný"_s, u"Řezníček"_s, u"Žák"_s,    u"Černá"_s,   u"Bílá"_s};

// The table as a user's work leaves it: appended out of key order (so
// blocks split), one record changed, two removed, NULLs here and there.
void writeTable(const QString &dir)
{
    TableFormat format;
    format.blockSizeKiB = 1;
    auto t = Table::create(QDir(dir).filePath(u"Zam.DB"_s), employees(), format);
    QList<QVariantList> rows;
    for (int i = 0; i < 40; ++i) {
        const int oc = (i * 17) % 41 + 1;
        rows.append({1 + i % 2, oc, QString(surnames[i % surnames.size()] + u' ' + QString::number(oc)),
                     i % 7 == 3 ? QVariant() : QVariant(QDate(1950 + i, 1 + i % 12, 1 + i % 28)),
                     QVariant(12345.5 * (i + 1) - (i % 3 == 0 ? 99999.25 : 0.0)),
                     i % 5 == 0 ? QVariant() : QVariant(-0.125 * i), QVariant(i % 2 == 0), QVariant(),
                     QVariant(QTime(7, i % 60, 30)),
                     QVariant(QDateTime(QDate(2015, 12, 31), QTime(23, 59, i % 60), Qt::UTC))});
    }
    t->appendRecords(rows.mid(0, 25));
    for (const QVariantList &r : rows.mid(25))
        t->append(r);
    auto keyOf = [&](int i) { return rows[i].mid(0, 2); };
    t->update(t->findKey(keyOf(4)), QVariantList(keyOf(4)) << u"Přejmenovaný"_s << QVariant() << 0.0);
    t->remove(t->findKey(keyOf(7)));
    t->remove(t->findKey(keyOf(30)));
    SecondaryIndex::build(*t, 2);
}

} // namespace

class TestTableGolden : public QObject
{
    Q_OBJECT

private slots:
    void newTableBytes()
    {
        QTemporaryDir dir;
        writeTable(dir.path());
        const QString refDir = QStringLiteral(QESTO_TEST_SOURCE_DIR) + u"/data/"_s;
        const QString outDir = QStringLiteral(QESTO_TEST_BINARY_DIR) + u"/golden/"_s;
        const bool update = qEnvironmentVariableIntValue("QESTO_UPDATE_GOLDEN") == 1;
        QCOMPARE(Table::tableFiles(dir.filePath(u"Zam.DB"_s)).size(), fileNames.size());
        for (const QString &name : fileNames) {
            const QByteArray actual = bytesOf(dir.filePath(name));
            QVERIFY2(!actual.isEmpty(), qPrintable(name));
            if (update) {
                QFile out(refDir + name);
                QVERIFY(out.open(QIODevice::WriteOnly) && out.write(masked(name, actual)) == actual.size());
                continue;
            }
            const QByteArray expected = bytesOf(refDir + name);
            QVERIFY2(
                !expected.isEmpty(),
                qPrintable(u"Chybí referenční soubor %1 (QESTO_UPDATE_GOLDEN=1 jej vytvoří)"_s.arg(name)));
            if (masked(name, actual) != expected) {
                QDir().mkpath(outDir);
                QFile::remove(outDir + name);
                QFile::copy(dir.filePath(name), outDir + name);
            }
            QVERIFY2(masked(name, actual) == expected,
                     qPrintable(u"%1: %2; see %3%1"_s.arg(name, differences(masked(name, actual), expected),
                                                          outDir)));
        }
    }

    // The reference files are what pxlib, written independently, reads as
    // the same records as the engine, through the .PX as well as by chain.
    void referencesReadByPxlib()
    {
        QTemporaryDir dir;
        writeTable(dir.path());
        auto t = Table::open(dir.filePath(u"Zam.DB"_s));
        QList<QByteArray> records;
        for (int r = 0; r < t->recordCount(); ++r)
            records.append(t->rawRecord(r));
        QCOMPARE(records.size(), 38);
        const QString refDir = QStringLiteral(QESTO_TEST_SOURCE_DIR) + u"/data/"_s;
        QTemporaryDir copy;
        for (const QString &name : fileNames)
            QVERIFY(QFile::copy(refDir + name, copy.filePath(name)));
        const pxpeer::Contents byChain = pxpeer::read(copy.filePath(u"Zam.DB"_s));
        QVERIFY(byChain.ok);
        QCOMPARE(byChain.keyFields, 2);
        QCOMPARE(byChain.codePage, 1250);
        QCOMPARE(byChain.records, records);
        const pxpeer::Contents byIndex =
            pxpeer::read(copy.filePath(u"Zam.DB"_s), {}, copy.filePath(u"Zam.PX"_s));
        QVERIFY(byIndex.ok);
        QCOMPARE(byIndex.records, records);
        QCOMPARE(Table::open(copy.filePath(u"Zam.DB"_s))->rawRecord(0), records.first());
    }
};

QTEST_GUILESS_MAIN(TestTableGolden)
#include "test_table_golden.moc"
