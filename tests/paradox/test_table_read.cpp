// Reading: the original engine's sample files against pxlib and known
// values, damaged files, and the support tool's listings.
#include "IndexCheck.h"
#include "PxPeer.h"

#include "paradox/Format.h"
#include "paradox/Table.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

#include <functional>

using namespace Qt::StringLiterals;
using namespace paradox;

namespace {

QString samples()
{
    return QStringLiteral(QESTO_SHARED_DIR "/paradox-samples");
}

std::unique_ptr<Table> openReadOnly(const QString &path, const QString &password = {})
{
    OpenOptions o;
    o.readOnly = true;
    o.password = password;
    return Table::open(path, o);
}

void patch(const QString &path, qint64 offset, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(offset));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray le16(int v)
{
    QByteArray out(2, '\0');
    out[0] = char(v & 0xFF);
    out[1] = char((v >> 8) & 0xFF);
    return out;
}

// A record read through the typed accessors, as record() would give it.
QVariantList typedRecord(const RowView &r, const Schema &schema)
{
    QVariantList out;
    for (int f = 0; f < schema.fields.size(); ++f) {
        if (r.isNull(f)) {
            out << QVariant();
            continue;
        }
        switch (schema.fields[f].type) {
        case FieldType::Alpha:
            out << r.text(f);
            break;
        case FieldType::Date:
            out << r.date(f);
            break;
        case FieldType::Time:
            out << r.time(f);
            break;
        case FieldType::Timestamp:
            out << r.dateTime(f);
            break;
        case FieldType::Short:
        case FieldType::Long:
        case FieldType::Autoinc:
            out << r.intValue(f);
            break;
        case FieldType::Number:
        case FieldType::Currency:
            out << r.number(f);
            break;
        case FieldType::Logical:
            out << r.logical(f);
            break;
        default:
            out << QVariant::fromValue(UnsupportedValue{schema.fields[f].type});
        }
    }
    return out;
}

// Every row a cursor gives, checked against record() of the open table.
void checkCursor(RowCursor cursor, const Table &table, int from = 0)
{
    int expected = from;
    QVariantList reused;
    while (cursor.next()) {
        const RowView &r = cursor.row();
        QCOMPARE(r.row(), expected);
        QVERIFY(expected < table.recordCount());
        QCOMPARE(QByteArray(r.raw().data(), r.raw().size()), table.rawRecord(expected));
        QCOMPARE(typedRecord(r, table.schema()), table.record(expected));
        table.readRecord(expected, reused);
        QCOMPARE(reused, table.record(expected));
        ++expected;
    }
    QCOMPARE(expected, table.recordCount());
}

} // namespace

class TestTableRead : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // The cursor tests over our own tables need no samples.
        if (!QDir(samples()).exists() && !QByteArray(QTest::currentTestFunction()).startsWith("cursorOver"))
            QSKIP("The Paradox samples are not available");
    }

    void samplesMatchPxlib_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("password");
        for (const char *f :
             {"fields/logical.db", "fields/long.db", "fields/date4.db", "fields/date5.db", "fields/date7.db",
              "fields/date35.db", "fields/time.db", "fields/timestamp.db", "db/DECIMAL.DB", "db/ORDERS.DB",
              "db/AREACODE.DB", "db/SERVER.DB", "db/CONTACTS.DB", "joins/C.DB", "joins/primary.db"})
            QTest::newRow(f) << QString::fromLatin1(f) << QString();
        QTest::newRow("encrypted") << u"encrypt/encrypted.db"_s << u"123"_s;
    }

    // Raw bytes, field list and record count as pxlib reads them.
    void samplesMatchPxlib()
    {
        QFETCH(QString, file);
        QFETCH(QString, password);
        const QString path = samples() + u'/' + file;
        const pxpeer::Contents peer = pxpeer::read(path, password);
        QVERIFY(peer.ok);
        const auto table = openReadOnly(path, password);
        QCOMPARE(table->schema().fields.size(), peer.fields.size());
        for (qsizetype i = 0; i < peer.fields.size(); ++i) {
            QCOMPARE(table->schema().fields[i].name, peer.fields[i].name);
            QCOMPARE(int(table->schema().fields[i].type), peer.fields[i].type);
        }
        QCOMPARE(table->recordCount(), int(peer.records.size()));
        QVariantList reused;
        for (int r = 0; r < table->recordCount(); ++r) {
            QCOMPARE(table->rawRecord(r), peer.records[r]);
            table->readRecord(r, reused);
            QCOMPARE(reused, table->record(r));
        }
    }

    // The typed cursor, over the blocks in memory and streamed from the
    // file, agrees with record() on every type the samples hold (time,
    // timestamp, currency, keyed tables, the encrypted one read through pxlib).
    void samplesThroughCursor_data() { samplesMatchPxlib_data(); }

    void samplesThroughCursor()
    {
        QFETCH(QString, file);
        QFETCH(QString, password);
        const QString path = samples() + u'/' + file;
        const auto table = openReadOnly(path, password);
        checkCursor(table->rows(), *table);
        OpenOptions o;
        o.readOnly = true;
        o.password = password;
        RowCursor streamed = Table::stream(path, o);
        QCOMPARE(streamed.schema(), table->schema());
        checkCursor(std::move(streamed), *table);
    }

    // Our own tables of several blocks: every type with NULLs, texts of every
    // length up to their field's (decoding goes eight bytes at a time) with
    // and without Czech letters, keyed in key order and unkeyed in chain
    // order, from the start and from the middle.
    void cursorOverOwnTables_data()
    {
        QTest::addColumn<int>("keyFields");
        QTest::newRow("unkeyed") << 0;
        QTest::newRow("keyed") << 1;
    }

    void cursorOverOwnTables()
    {
        QFETCH(int, keyFields);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Mzd.DB"_s);
        Schema s;
        s.keyFields = keyFields;
        s.fields = {field(u"ID"_s, FieldType::Long),
                    field(u"K"_s, FieldType::Short),
                    alpha(u"A1"_s, 1),
                    alpha(u"A4"_s, 4),
                    alpha(u"A7"_s, 7),
                    alpha(u"A8"_s, 8),
                    alpha(u"A11"_s, 11),
                    alpha(u"A17"_s, 17),
                    field(u"N"_s, FieldType::Number),
                    field(u"M"_s, FieldType::Currency),
                    field(u"B"_s, FieldType::Logical),
                    field(u"D"_s, FieldType::Date),
                    field(u"T"_s, FieldType::Time),
                    field(u"P"_s, FieldType::Timestamp),
                    field(u"I"_s, FieldType::Autoinc),
                    alpha(u"A255"_s, 255)};
        const QString letters = u"aáäbcčdďeéěfghiíjklľĺmnňoóôpqrřsštťuúůvwxyýzžAÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ"_s;
        const QString ascii = u"Novak Jiri 8001011234 ABCDEFGHIJ"_s;
        const int rows = 1500;
        QList<QVariantList> records;
        QHash<int, int> byId;
        for (int i = 0; i < rows; ++i) {
            const int id = keyFields ? (i * 7919) % rows : i; // keyed rows arrive out of order
            auto text = [&](int size) -> QVariant {
                const int len = (i + size) % (size + 1);
                if (len == 0)
                    return QVariant();
                const QString &from = i % 3 == 0 ? ascii : letters;
                return from.mid((i * 5) % (from.size() - len), len);
            };
            QVariantList v{id,
                           i % 5 == 0 ? QVariant() : QVariant(i - 700),
                           text(1),
                           text(4),
                           text(7),
                           text(8),
                           text(11),
                           text(17),
                           i % 4 == 0 ? QVariant() : QVariant(i * -1.25),
                           i % 6 == 0 ? QVariant() : QVariant(i * 0.5),
                           i % 3 == 0 ? QVariant() : QVariant(i % 2 == 0),
                           i % 7 == 0 ? QVariant() : QVariant(QDate(2015, 1, 1).addDays(i)),
                           i % 8 == 0 ? QVariant() : QVariant(QTime(0, 0).addMSecs(i * 3001)),
                           i % 9 == 0 ? QVariant()
                                      : QVariant(QDateTime(QDate(2014, 12, 31), QTime(23, 59)).addSecs(i)),
                           QVariant(),
                           i % 2 ? QVariant(letters.repeated(4).left(255)) : QVariant()};
            records << v;
            byId.insert(id, i);
        }
        QCOMPARE(byId.size(), rows);
        {
            auto table = Table::create(path, s);
            table->appendRecords(records);
        }
        const auto table = openReadOnly(path);
        QCOMPARE(table->recordCount(), rows);
        checkCursor(table->rows(), *table);
        checkCursor(table->rows(777), *table, 777);
        checkCursor(table->rows(rows), *table, rows);
        checkCursor(Table::stream(path), *table);

        // Key order, and the texts as written (not only as record() reads them).
        int previous = -1;
        QString reused;
        RowView::TextBuffer buffer;
        for (RowCursor c = Table::stream(path); c.next();) {
            const RowView &r = c.row();
            if (keyFields) {
                QVERIFY(r.intValue(0) > previous);
                previous = r.intValue(0);
            }
            const QVariantList &written = records[byId.value(r.intValue(0), -1)];
            QCOMPARE(r.intValue(0), written[0].toInt());
            for (int f : {2, 3, 4, 5, 6, 7, 15}) {
                r.text(f, reused);
                QCOMPARE(reused, written[f].toString());
                QCOMPARE(r.textView(f, buffer), written[f].toString());
                QCOMPARE(r.isNull(f), written[f].isNull());
            }
        }
    }

    // A cursor over the blocks in memory ends with an error, not freed
    // memory, once the table changes; a streamed one lets writers in again
    // as soon as it has passed the last row or is dropped.
    void cursorOverOwnTablesAndChanges()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Vpz.DB"_s);
        Schema s;
        s.fields = {field(u"ID"_s, FieldType::Long), alpha(u"Jm"_s, 60)};
        auto table = Table::create(path, s);
        QVERIFY(!Table::stream(path).next());
        QVERIFY(!table->rows().next());
        QList<QVariantList> records;
        for (int i = 0; i < 400; ++i)
            records << QVariantList{i, u"Řádek %1"_s.arg(i)};
        table->appendRecords(records);

        RowCursor c = table->rows();
        QVERIFY(c.next());
        table->append({400, u"Nový"_s});
        QVERIFY_THROWS_EXCEPTION(TableError, [&] {
            while (c.next()) {
            }
        }());

        {
            RowCursor streamed = Table::stream(path);
            QVERIFY(streamed.next());
            QCOMPARE(streamed.row().text(1), u"Řádek 0"_s);
        }
        table->append({401, u"Další"_s});
        RowCursor streamed = Table::stream(path);
        int count = 0;
        while (streamed.next())
            ++count;
        QCOMPARE(count, 402);
        table->append({402, u"Poslední"_s});
        QCOMPARE(table->recordCount(), 403);
    }

    // Rows read one after the other into one record reuse the previous texts
    // where they are equal; a following text that shares a prefix, is shorter
    // or mixes Czech letters into plain ones must never keep a piece of the
    // one before (the settlement list once showed "s.rr.o.").
    void consecutiveTextsThroughReuse()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Data.DB"_s);
        Schema s;
        s.keyFields = 1;
        s.fields = {field(u"Cislo"_s, FieldType::Long), alpha(u"Nazev"_s, 60), alpha(u"Adresar"_s, 8)};
        const QStringList names = {u"Stavby Novák s.r.o."_s,
                                   u"Stavby Novák s.r.o."_s,
                                   u"Stavby Novák"_s,
                                   u"Pekárna Dvořák"_s,
                                   u"Účetní kancelář"_s,
                                   u"s.r.o."_s,
                                   QString(),
                                   u"Účetní kancelář a.s."_s,
                                   u"Ú"_s,
                                   u"abcdefgh"_s,
                                   u"abcdefghá"_s};
        {
            auto table = Table::create(path, s);
            for (int i = 0; i < names.size(); ++i)
                table->append(
                    {i + 1, names[i].isEmpty() ? QVariant() : QVariant(names[i]), u"D%1"_s.arg(i + 1)});
        }
        const auto table = openReadOnly(path);
        QVariantList reused;
        QString text;
        RowCursor cursor = Table::stream(path);
        for (int i = 0; i < names.size(); ++i) {
            table->readRecord(i, reused);
            QCOMPARE(reused.value(1).toString(), names[i]);
            QCOMPARE(reused.value(1).isNull(), names[i].isEmpty());
            QCOMPARE(reused.value(2).toString(), u"D%1"_s.arg(i + 1));
            QVERIFY(cursor.next());
            cursor.row().text(1, text);
            QCOMPARE(text, names[i]);
        }
    }

    void knownValues_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("row");
        QTest::addColumn<QVariantList>("expected");
        QTest::newRow("logical") << u"fields/logical.db"_s << 1 << QVariantList{false};
        QTest::newRow("long NULL") << u"fields/long.db"_s << 2 << QVariantList{3, QVariant()};
        QTest::newRow("date 3.5") << u"fields/date35.db"_s << 0 << QVariantList{QDate(2018, 1, 1)};
        QTest::newRow("date+time") << u"fields/date7.db"_s << 2
                                   << QVariantList{QDate(2018, 1, 2), QTime(9, 25, 25)};
        QTest::newRow("time NULL") << u"fields/time.db"_s << 1 << QVariantList{QVariant()};
        QTest::newRow("timestamp NULL") << u"fields/timestamp.db"_s << 0 << QVariantList{QVariant()};
        QTest::newRow("timestamp") << u"fields/timestamp.db"_s << 1
                                   << QVariantList{QDateTime(QDate(2020, 2, 1), QTime(1, 0, 1))};
        QTest::newRow("negative number") << u"db/DECIMAL.DB"_s << 8 << QVariantList{-1.387};
        QTest::newRow("keyed orders")
            << u"db/ORDERS.DB"_s << 0
            << QVariantList{1001.0, 1221.0, QDate(1988, 4, 3), QDate(1988, 4, 5), u"UPS"_s, 7320.0,
                            7320.0, 0.0,    u"FOB"_s,          u"Credit"_s,       u"Apr"_s};
    }

    void knownValues()
    {
        QFETCH(QString, file);
        QFETCH(int, row);
        QFETCH(QVariantList, expected);
        const auto table = openReadOnly(samples() + u'/' + file);
        QCOMPARE(table->record(row), expected);
    }

    // Our header writer, given what the original engine's header says,
    // writes the same bytes, apart from those that hold run-time pointers,
    // times and counters no reader relies on.
    void headerLayoutMatchesOriginal_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("level 7 keyed") << u"db/ORDERS.DB"_s;
        QTest::newRow("level 7 unkeyed") << u"db/CONTACTS.DB"_s;
        QTest::newRow("level 7 index") << u"db/ORDERS.PX"_s;
        QTest::newRow("level 5") << u"fields/long.db"_s;
        QTest::newRow("level 4") << u"db/AREACODE.DB"_s;
        QTest::newRow("level 4 index") << u"db/AREACODE.PX"_s;
    }

    void headerLayoutMatchesOriginal()
    {
        QFETCH(QString, file);
        QFile f(samples() + u'/' + file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray theirs = f.readAll();
        const format::Header h = format::parseHeader(theirs.constData(), theirs.size(), theirs.size(), file);
        const QByteArray ours = format::buildHeader(h);
        const bool index = h.fileType == format::PrimaryIndex;
        const int realSize = format::le16(theirs.constData() + 0x51);
        QCOMPARE(format::le16(ours.constData() + 0x51), realSize);
        const int fields = int(h.schema.fields.size());
        const int start = index ? 0x58 : 0x78;
        auto ignored = [&](int at) {
            const int pointersEnd = start + 2 * fields + 4 + (index ? 0 : 4 * fields);
            return (at >= 0x12 && at < 0x14)              // meaning unknown, varies
                   || (at >= 0x16 && at < 0x1E)           // run-time pointers
                   || at == 0x2E                          // second change counter
                   || (at >= 0x30 && at < 0x38)           // run-time pointers
                   || at == 0x48 || (index && at == 0x2D) // meaning unknown, varies
                   || (!index && at >= 0x60 && at < 0x64) // update time
                   || (!index && at >= 0x70 && at < 0x72) // meaning unknown, varies
                   || (at >= start + 2 * fields && at < pointersEnd);
        };
        for (int at = 0; at < realSize; ++at) {
            if (!ignored(at) && ours[at] != theirs[at])
                QFAIL(qPrintable(u"offset 0x%1: ours %2, theirs %3"_s.arg(at, 0, 16)
                                     .arg(quint8(ours[at]))
                                     .arg(quint8(theirs[at]))));
        }
    }

    void encryptedSample()
    {
        const auto table = openReadOnly(samples() + u"/encrypt/encrypted.db"_s, u"123"_s);
        QVERIFY(table->format().encrypted);
        QCOMPARE(table->recordCount(), 4);
        QCOMPARE(table->record(3), (QVariantList{4, u"Last one"_s}));
    }

    void keyedSampleIsInKeyOrder_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("countersAgree");
        QTest::newRow("number key, 8 blocks") << u"db/ORDERS.DB"_s << true;
        QTest::newRow("alpha key, level 4, short last block") << u"db/AREACODE.DB"_s << true;
        // Its index carries another change counter than the table (0x6F
        // against 0x5C), yet describes the table's blocks exactly.
        QTest::newRow("two-field key") << u"db/SERVER.DB"_s << false;
    }

    void keyedSampleIsInKeyOrder()
    {
        QFETCH(QString, file);
        QFETCH(bool, countersAgree);
        // The index check the write tests rely on agrees with the original
        // engine's own index files.
        const QString px = samples() + u'/' + file.chopped(2) + u"PX"_s;
        const QString problem = indexcheck::check(samples() + u'/' + file, px, countersAgree);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const auto table = openReadOnly(samples() + u'/' + file);
        QVERIFY(table->isKeyed());
        for (int r = 0; r < table->recordCount(); ++r) {
            QVariantList key = table->record(r).mid(0, table->schema().keyFields);
            QCOMPARE(table->findKey(key), r);
        }
    }

    // Each damage gives a Czech message naming the file, never a crash or hang.
    void damagedFiles_data()
    {
        QTest::addColumn<std::function<void(const QString &)>>("damage");
        using D = std::function<void(const QString &)>;
        QTest::newRow("truncated header") << D([](const QString &p) {
            QFile f(p);
            f.open(QIODevice::ReadWrite);
            f.resize(40);
        });
        QTest::newRow("truncated block") << D([](const QString &p) {
            QFile f(p);
            f.open(QIODevice::ReadWrite);
            f.resize(0x800 + 10);
        });
        QTest::newRow("block size") << D([](const QString &p) { patch(p, 5, QByteArray(1, char(7))); });
        QTest::newRow("header size") << D([](const QString &p) { patch(p, 2, le16(0xF000)); });
        QTest::newRow("header shorter than its extension")
            << D([](const QString &p) { patch(p, 2, le16(0x60)); });
        QTest::newRow("record size") << D([](const QString &p) { patch(p, 0, le16(3)); });
        QTest::newRow("field count") << D([](const QString &p) { patch(p, 0x21, le16(400)); });
        QTest::newRow("chain cycle") << D([](const QString &p) { patch(p, 0x800, le16(1)); });
        QTest::newRow("chain past end") << D([](const QString &p) { patch(p, 0x800, le16(900)); });
        QTest::newRow("first block") << D([](const QString &p) { patch(p, 0x0E, le16(60000)); });
        QTest::newRow("record count in block") << D([](const QString &p) { patch(p, 0x804, le16(0x7000)); });
    }

    void damagedFiles()
    {
        QFETCH(std::function<void(const QString &)>, damage);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Vdvl.DB"_s);
        QVERIFY(QFile::copy(samples() + u"/db/CONTACTS.DB"_s, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        // A two-block chain so that the cycle is a real one.
        patch(path, 0x800, le16(2));
        damage(path);
        try {
            openReadOnly(path);
            QFAIL("a damaged table opened");
        } catch (const TableError &e) {
            QCOMPARE(e.kind(), TableError::Kind::Damaged);
            QVERIFY2(e.message().startsWith(u"Tabulka Vdvl.DB je poškozená: "_s), qPrintable(e.message()));
        }
        // Streaming checks the same as it goes.
        try {
            for (RowCursor c = Table::stream(path); c.next();) {
            }
            QFAIL("a damaged table streamed");
        } catch (const TableError &e) {
            QCOMPARE(e.kind(), TableError::Kind::Damaged);
            QVERIFY2(e.message().startsWith(u"Tabulka Vdvl.DB je poškozená: "_s), qPrintable(e.message()));
        }
    }

    void missingFile()
    {
        try {
            openReadOnly(u"/nonexistent/Vpz.DB"_s);
            QFAIL("opened a missing table");
        } catch (const TableError &e) {
            QCOMPARE(e.kind(), TableError::Kind::Unreadable);
            QVERIFY(e.message().contains(u"Vpz.DB"_s));
        }
    }

#ifdef QESTO_PX_PATH
    // The listings compared with reference files of a table with every type.
    void toolListings_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("schema") << u"schema"_s;
        QTest::newRow("dump") << u"dump"_s;
    }

    void toolListings()
    {
        QFETCH(QString, command);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Typy.DB"_s);
        {
            Schema s;
            s.fields = {alpha(u"Název"_s, 20),
                        field(u"Datum"_s, FieldType::Date),
                        field(u"Krátké"_s, FieldType::Short),
                        field(u"Dlouhé"_s, FieldType::Long),
                        field(u"Částka"_s, FieldType::Number),
                        field(u"Ano"_s, FieldType::Logical),
                        field(u"Čas"_s, FieldType::Time),
                        field(u"Id"_s, FieldType::Autoinc)};
            auto t = Table::create(path, s);
            t->append(
                {u"Žluťoučký kůň"_s, QDate(2015, 12, 31), -5, 2147483647, 0.1, true, QTime(23, 59, 59, 999)});
            t->append({u"a,\"b\""_s, QVariant(), 0, QVariant(), -1e-300, false, QVariant()});
            t->append(
                {QVariant(), QDate(1, 1, 1), QVariant(), -2147483647, 9999999999.0, QVariant(), QTime(0, 0)});
        }
        QProcess tool;
        tool.start(QStringLiteral(QESTO_PX_PATH), {command, path});
        QVERIFY(tool.waitForFinished(20000));
        QCOMPARE(tool.exitCode(), 0);
        const QByteArray actual = tool.readAllStandardOutput();
        const QString refPath = QStringLiteral(QESTO_TEST_SOURCE_DIR "/../data/paradox/types.") + command;
        QFile::remove(QStringLiteral(QESTO_TEST_BINARY_DIR "/types.") + command);
        QFile out(QStringLiteral(QESTO_TEST_BINARY_DIR "/types.") + command);
        if (out.open(QIODevice::WriteOnly))
            out.write(actual);
        QFile ref(refPath);
        QVERIFY2(ref.open(QIODevice::ReadOnly), qPrintable(refPath));
        QCOMPARE(QString::fromUtf8(actual), QString::fromUtf8(ref.readAll()));
    }

    void toolReportsDamage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Mzd11.DB"_s);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(100, 'x'));
        f.close();
        QProcess tool;
        tool.start(QStringLiteral(QESTO_PX_PATH), {u"dump"_s, path});
        QVERIFY(tool.waitForFinished(20000));
        QCOMPARE(tool.exitCode(), 2);
        QVERIFY(QString::fromUtf8(tool.readAllStandardError()).contains(u"Tabulka Mzd11.DB je poškozená"_s));
    }

    void toolReportsAListingItCannotWrite()
    {
        // A full disk under a redirected listing is a failure, not exit 0
        // with half a file.
        if (!QFileInfo::exists(u"/dev/full"_s))
            QSKIP("no /dev/full here");
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Mzd11.DB"_s);
        {
            Schema s;
            s.fields = {field(u"O"_s, FieldType::Short), alpha(u"Text"_s, 200)};
            QList<QVariantList> rows;
            for (int i = 0; i < 2000; ++i)
                rows.append({i % 12 + 1, QString(150, u'x')});
            Table::create(path, s)->appendRecords(rows);
        }
        QProcess tool;
        tool.setStandardOutputFile(u"/dev/full"_s);
        tool.start(QStringLiteral(QESTO_PX_PATH), {u"dump"_s, path});
        QVERIFY(tool.waitForFinished(20000));
        QCOMPARE(tool.exitCode(), 2);
        QVERIFY(!tool.readAllStandardError().isEmpty());
    }
#endif
};

QTEST_GUILESS_MAIN(TestTableRead)
#include "test_table_read.moc"
