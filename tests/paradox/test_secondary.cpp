#include "PxPeer.h"

#include "paradox/Error.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/Table.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace paradox;
using namespace Qt::StringLiterals;

namespace {

// The settlement list: Cislo (key), Pozice, Nazev, Adresar.
Schema listSchema()
{
    Schema s;
    s.fields = {field(u"Cislo"_s, FieldType::Long), field(u"Pozice"_s, FieldType::Long),
                alpha(u"Nazev"_s, 20), alpha(u"Adresar"_s, 20)};
    s.keyFields = 1;
    return s;
}

QVariantList entry(int cislo, const QVariant &pozice, const QString &nazev)
{
    return {cislo, pozice, nazev, u"D%1"_s.arg(cislo)};
}

QStringList column(const Table &table, const QList<int> &rows, int field)
{
    QStringList out;
    for (int row : rows)
        out << table.value(row, field).toString();
    return out;
}

} // namespace

class TestSecondary : public QObject
{
    Q_OBJECT

private slots:
    // The same three records as the sample table written by the Borland
    // engine give the same .X02/.X03 records and .Y02/.Y03 entries, as pxlib
    // reads both.
    void matchesEngineSample_data()
    {
        QTest::addColumn<int>("field");
        QTest::newRow("X02") << 1;
        QTest::newRow("X03") << 2;
    }
    void matchesEngineSample()
    {
        QFETCH(int, field);
        const QString samples = QStringLiteral(QESTO_SHARED_DIR "/paradox-samples/joins");
        if (!QFile::exists(samples + u"/C.DB"_s))
            QSKIP("the sample tables are not available");
        const QString suffix = QString::number(field + 1).rightJustified(2, u'0');

        QTemporaryDir dir;
        const QString db = dir.filePath(u"C.DB"_s);
        Schema s;
        s.fields = {paradox::field(u"C"_s, FieldType::Long), paradox::field(u"A"_s, FieldType::Long),
                    paradox::field(u"B"_s, FieldType::Long)};
        s.keyFields = 1;
        {
            auto table = Table::create(db, s);
            for (int i = 1; i <= 3; ++i)
                table->append({i, i, i + 3});
            SecondaryIndex::build(*table, field);
        }
        for (const QChar letter : {u'X', u'Y'}) {
            const QString name = u"C."_s + letter + suffix;
            const pxpeer::Contents theirs = pxpeer::read(samples + u'/' + name);
            const pxpeer::Contents ours = pxpeer::read(dir.filePath(name));
            QVERIFY2(theirs.ok && ours.ok, qPrintable(name));
            QCOMPARE(ours.records, theirs.records);
            QCOMPARE(ours.recordSize, theirs.recordSize);
            QCOMPARE(ours.keyFields, theirs.keyFields);
            QCOMPARE(ours.fields.size(), theirs.fields.size());
            for (int i = 0; i < ours.fields.size(); ++i) {
                QCOMPARE(ours.fields[i].type, theirs.fields[i].type);
                QCOMPARE(ours.fields[i].size, theirs.fields[i].size);
                if (letter == u'X')
                    QCOMPARE(ours.fields[i].name, theirs.fields[i].name);
            }
        }
        // Header bytes the engine checks: file type, indexed field, and the
        // field-number list that starts with the table's field number.
        QFile x(dir.filePath(u"C.X"_s + suffix));
        QVERIFY(x.open(QIODevice::ReadOnly));
        const QByteArray bytes = x.readAll();
        QCOMPARE(int(bytes[4]), 5);
        QCOMPARE(int(bytes[0x15]), field + 1);
        QFile sample(samples + u"/C.X"_s + suffix);
        QVERIFY(sample.open(QIODevice::ReadOnly));
        const QByteArray expected = sample.readAll();
        const auto fieldNumbers = [](const QByteArray &b) {
            const int at = 0x58 + (uchar(b[0x66]) | uchar(b[0x67]) << 8);
            return b.mid(at, 6);
        };
        QCOMPARE(fieldNumbers(bytes).toHex(), fieldNumbers(expected).toHex());
    }

    // The list ordered by name and by own position, as the selection window
    // shows it; equal positions fall back to the number.
    void orderOfTheList()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath(u"Data.DB"_s);
        auto table = Table::create(db, listSchema());
        table->append(entry(1, 3, u"Hradec"_s));
        table->append(entry(2, 1, u"Chrudim"_s));
        table->append(entry(3, 2, u"Čáslav"_s));
        table->append(entry(4, 2, u"cheb"_s));
        table->append(entry(5, QVariant(), u"Zlín"_s));
        table->append(entry(6, 7, u"Žatec"_s));
        table->append(entry(7, 5, u"Cvikov"_s));
        table->append(entry(8, 4, QString()));
        SecondaryIndex::build(*table, 1);
        SecondaryIndex::build(*table, 2);
        QCOMPARE(SecondaryIndex::indexedFields(db), (QList<int>{1, 2}));
        QVERIFY(QFile::exists(dir.filePath(u"Data.X02"_s)));
        QVERIFY(QFile::exists(dir.filePath(u"Data.Y03"_s)));

        const QList<int> byName = SecondaryIndex::readOrder(*table, 2);
        QCOMPARE(column(*table, byName, 2), (QStringList{QString(), u"Cvikov"_s, u"Čáslav"_s, u"Hradec"_s,
                                                         u"cheb"_s, u"Chrudim"_s, u"Zlín"_s, u"Žatec"_s}));
        const QList<int> byPosition = SecondaryIndex::readOrder(*table, 1);
        QCOMPARE(column(*table, byPosition, 0),
                 (QStringList{u"5"_s, u"2"_s, u"3"_s, u"4"_s, u"1"_s, u"8"_s, u"7"_s, u"6"_s}));
        QCOMPARE(SecondaryIndex::computeOrder(*table, 2), byName);
        QCOMPARE(SecondaryIndex::computeOrder(*table, 1), byPosition);
    }

    // A change of the table that does not rebuild the index makes reading
    // it fail instead of giving a wrong order; the rebuild fixes it. A
    // thousand records spread the index over several blocks.
    void staleAfterChangeAndRebuilt()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath(u"Data.DB"_s);
        auto table = Table::create(db, listSchema());
        QRandomGenerator rng(215);
        const QString letters = u"aábcčdďeéěfghchiíjklmnňoópqrřsštťuúůvwxyýzž"_s;
        for (int i = 1; i <= 1000; ++i) {
            QString name;
            for (int j = 0; j < 8; ++j)
                name += letters.at(int(rng.bounded(letters.size())));
            table->append(entry(i, int(rng.bounded(100)), name));
        }
        SecondaryIndex::build(*table, 2);
        SecondaryIndex::build(*table, 1);
        QCOMPARE(SecondaryIndex::readOrder(*table, 2), SecondaryIndex::computeOrder(*table, 2));
        const pxpeer::Contents y = pxpeer::read(dir.filePath(u"Data.Y03"_s));
        QVERIFY(y.ok);
        QVERIFY(y.records.size() > 1);

        QVariantList changed = table->record(10);
        changed[2] = u"Ánanas"_s;
        table->update(10, changed);
        QVERIFY_THROWS_EXCEPTION(TableError, SecondaryIndex::readOrder(*table, 2));
        table->remove(20);
        QVERIFY_THROWS_EXCEPTION(TableError, SecondaryIndex::readOrder(*table, 1));

        SecondaryIndex::rebuildAll(*table);
        QCOMPARE(SecondaryIndex::readOrder(*table, 2), SecondaryIndex::computeOrder(*table, 2));
        QCOMPARE(SecondaryIndex::readOrder(*table, 1), SecondaryIndex::computeOrder(*table, 1));
        QCOMPARE(SecondaryIndex::readOrder(*table, 2).size(), 999);

        // A maintained handle keeps them in step by itself.
        SecondaryIndex::maintain(*table);
        changed = table->record(5);
        changed[1] = -1;
        table->update(5, changed);
        QCOMPARE(SecondaryIndex::readOrder(*table, 1).first(), 5);
        table->empty();
        QVERIFY(SecondaryIndex::readOrder(*table, 2).isEmpty());
    }

    // Damaged index files are refused with a message, never a crash or a hang.
    void damagedIndexRefused_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("chain loops") << 0x800 << QByteArray("\x01\x00", 2);
        QTest::newRow("block beyond file") << 0x0E << QByteArray("\x50\x00", 2);
        QTest::newRow("too many records") << 0x06 << QByteArray("\xFF\xFF\x00\x00", 4);
        QTest::newRow("bad add size") << 0x804 << QByteArray("\x03\x00", 2);
        QTest::newRow("wrong field") << 0x15 << QByteArray("\x04", 1);
        QTest::newRow("truncated") << -1 << QByteArray();
    }
    void damagedIndexRefused()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString db = dir.filePath(u"Data.DB"_s);
        auto table = Table::create(db, listSchema());
        for (int i = 1; i <= 5; ++i)
            table->append(entry(i, i, u"N%1"_s.arg(i)));
        SecondaryIndex::build(*table, 2);
        QFile x(dir.filePath(u"Data.X03"_s));
        QVERIFY(x.open(QIODevice::ReadWrite));
        if (offset < 0) {
            QVERIFY(x.resize(0x805));
        } else {
            QVERIFY(x.seek(offset));
            QVERIFY(x.write(bytes) == bytes.size());
        }
        x.close();
        try {
            SecondaryIndex::readOrder(*table, 2);
            QFAIL("a damaged index was read");
        } catch (const TableError &e) {
            QVERIFY(e.kind() == TableError::Kind::Damaged);
            QVERIFY2(e.message().contains(u"Data.X03"_s), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestSecondary)
#include "test_secondary.moc"
