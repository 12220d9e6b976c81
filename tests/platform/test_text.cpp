// Code page 1250 and INI files as installations on Windows write them.

#include "platform/Cp1250.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using platform::IniFile;
namespace Cp1250 = platform::Cp1250;

namespace {

const QString kCzech = u"ěščřžýáíéůúĚŠČŘŽÝÁÍÉŮÚ"_s;
const QByteArray kCzechBytes = QByteArray::fromHex("ec9ae8f89efde1ede9f9facc8ac8d88eddc1cdc9d9da");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void codePageRoundTripsEveryByte()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = Cp1250::decode(all);
        QCOMPARE(text.size(), 256);
        bool ok = false;
        QCOMPARE(Cp1250::encode(text, &ok), all);
        QVERIFY(ok);
        // The undefined bytes keep their value as C1 controls.
        for (int b : {0x81, 0x83, 0x88, 0x90, 0x98})
            QCOMPARE(int(text[b].unicode()), b);
        QCOMPARE(Cp1250::decode(kCzechBytes), kCzech);
        QCOMPARE(Cp1250::encode(kCzech), kCzechBytes);
        QCOMPARE(Cp1250::toUnicode(0x80), u'\u20AC');
    }

    void codePageRefusesWhatItLacks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("encodable");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Czech") << kCzech << true << kCzechBytes;
        QTest::newRow("euro and quotes") << u"€„“"_s << true << QByteArray("\x80\x84\x93");
        QTest::newRow("Cyrillic") << u"aжb"_s << false << QByteArray("a?b");
        QTest::newRow("outside BMP is one ?") << u"x😀y"_s << false << QByteArray("x?y");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << false << QByteArray("?");
    }

    void codePageRefusesWhatItLacks()
    {
        QFETCH(QString, text);
        QFETCH(bool, encodable);
        QFETCH(QByteArray, bytes);
        bool ok = !encodable;
        QCOMPARE(Cp1250::encode(text, &ok), bytes);
        QCOMPARE(ok, encodable);
        QCOMPARE(Cp1250::canEncode(text), encodable);
    }

    void readsLikeWindows_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QByteArray file = "; comment=1\r\n"
                                "orphan=before any section\r\n"
                                "[Qesto]\r\n"
                                "  Path =  \"C:\\Data\\\"  \r\n"
                                "Single='a b'\r\n"
                                "Mixed=\"a'\r\n"
                                "Eq=a=b\r\n"
                                ";Net=1\r\n"
                                "Net=0\r\n"
                                "net=1\r\n"
                                "Empty=\r\n"
                                " [ Second ] \n"
                                "Key=lf line\r"
                                "Other=cr line\r\n"
                                "[qesto]\r\n"
                                "Late=ignored, the first section wins\r\n";
        QTest::newRow("case and blanks, quotes removed") << file << "QESTO"
                                                         << "path"
                                                         << "C:\\Data\\";
        QTest::newRow("single quotes") << file << "Qesto"
                                       << "single"
                                       << "a b";
        QTest::newRow("unmatched quotes kept") << file << "Qesto"
                                               << "Mixed"
                                               << "\"a'";
        QTest::newRow("equals sign in value") << file << "Qesto"
                                              << "Eq"
                                              << "a=b";
        QTest::newRow("comment is no key, first key wins") << file << "Qesto"
                                                           << "NET"
                                                           << "0";
        QTest::newRow("empty value") << file << "Qesto"
                                     << "Empty"
                                     << "";
        QTest::newRow("LF ends a line") << file << "second"
                                        << "key"
                                        << "lf line";
        QTest::newRow("CR ends a line") << file << "Second"
                                        << "other"
                                        << "cr line";
        QTest::newRow("missing key") << file << "Qesto"
                                     << "Late"
                                     << "<default>";
        QTest::newRow("key outside sections") << file << ""
                                              << "orphan"
                                              << "<default>";
        QTest::newRow("Czech value") << QByteArray("[A]\r\nk=" + kCzechBytes + "\r\n") << "a"
                                     << "K" << kCzech;
        QTest::newRow("cut at 1023") << QByteArray("[A]\r\nk=" + QByteArray(1500, 'x') + "\r\n") << "A"
                                     << "k" << QString(1023, u'x');
    }

    void readsLikeWindows()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString path = m_dir.filePath(u"read.ini"_s);
        writeAll(path, file);
        QCOMPARE(IniFile(path).readString(section, key, u"<default>"_s), expected);
    }

    void readsIntegers_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "1410" << 1410;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("hex") << "0x1F" << 31;
        QTest::newRow("HEX") << "0X1f" << 31;
        QTest::newRow("all bits") << "0xFFFFFFFF" << -1;
        QTest::newRow("trailing text") << "12 px" << 12;
        QTest::newRow("no digits") << "abc" << 77;
        QTest::newRow("empty") << "" << 77;
        QTest::newRow("bare prefix") << "0x" << 0;
        QTest::newRow("too large") << "99999999999" << 77;
        QTest::newRow("quoted") << "\"5\"" << 5;
    }

    void readsIntegers()
    {
        QFETCH(QString, value);
        QFETCH(int, expected);
        const QString path = m_dir.filePath(u"int.ini"_s);
        writeAll(path, "[Qesto]\r\nValue=" + value.toLatin1() + "\r\n");
        const IniFile ini(path);
        QCOMPARE(ini.readInteger(u"Qesto", u"value", 77), expected);
        QCOMPARE(ini.readBool(u"Qesto", u"value", true), expected != 0);
        QCOMPARE(ini.readInteger(u"Qesto", u"Missing", 77), 77);
    }

    void writingKeepsEverythingElse()
    {
        const QString path = m_dir.filePath(u"keep.ini"_s);
        writeAll(path, "; settings of this computer\n"
                       "[Qesto]\n"
                       "  TOP = 10\n"
                       "; keep me\n"
                       "Left=5\n"
                       "\n"
                       "[Vyber]\n"
                       "Pos=1\n");
        IniFile ini(path);
        ini.writeInteger(u"qesto", u"Top", -3);
        ini.writeString(u"Qesto", u"Path", u"\\\\server\\share\\");
        ini.writeBool(u"Vyber", u"Pos", false);
        ini.writeString(u"Nova", u"Nazev", kCzech);
        QCOMPARE(readAll(path), QByteArray("; settings of this computer\r\n"
                                           "[Qesto]\r\n"
                                           "TOP=-3\r\n"
                                           "; keep me\r\n"
                                           "Left=5\r\n"
                                           "Path=\\\\server\\share\\\r\n"
                                           "\r\n"
                                           "[Vyber]\r\n"
                                           "Pos=0\r\n"
                                           "[Nova]\r\n"
                                           "Nazev=" +
                                           kCzechBytes + "\r\n"));
        QCOMPARE(ini.readString(u"NOVA", u"nazev"), kCzech);
        QCOMPARE(ini.readSection(u"Qesto"), QStringList({u"TOP"_s, u"Left"_s, u"Path"_s}));

        ini.eraseSection(u"QESTO");
        QVERIFY(!ini.sectionExists(u"Qesto"));
        QVERIFY(ini.sectionExists(u"vyber"));
        QCOMPARE(ini.readSections(), QStringList({u"Vyber"_s, u"Nova"_s}));
        ini.deleteKey(u"Vyber", u"POS");
        QVERIFY(!ini.valueExists(u"Vyber", u"Pos"));
        // A line break would end the value and start a line of its own.
        ini.writeString(u"Vyber", u"Text", u"a\r\nb=c");
        QCOMPARE(ini.readSection(u"Vyber"), QStringList{u"Text"_s});
    }

    void writersOneAfterAnotherKeepEachOthersKeys()
    {
        const QString path = m_dir.filePath(u"sub/shared.ini"_s);
        QVERIFY(QDir().mkpath(m_dir.filePath(u"sub"_s)));
        IniFile first(path);
        IniFile second(path);
        first.writeString(u"Qesto", u"Net", u"1");
        second.writeString(u"Qesto", u"Path", u"X:\\");
        // A third program writing the file behind both their backs.
        writeAll(path, readAll(path) + "Razeni=2\r\n");
        first.writeInteger(u"Qesto", u"Cislo", 4);
        QCOMPARE(second.readString(u"Qesto", u"Net"), u"1"_s);
        QCOMPARE(second.readInteger(u"Qesto", u"Razeni", 0), 2);
        QCOMPARE(second.readInteger(u"Qesto", u"Cislo", 0), 4);
        // No temporary file is left beside it.
        QCOMPARE(QDir(m_dir.filePath(u"sub"_s)).entryList(QDir::Files), QStringList{u"shared.ini"_s});
    }

    void failedWriteIsReportedAndReadsGiveDefaults()
    {
        // A directory where the file should be: unreadable and unwritable
        // even for a privileged user.
        const QString path = m_dir.filePath(u"blocked.ini"_s);
        QVERIFY(QDir().mkdir(path));
        IniFile ini(path);
        QCOMPARE(ini.readInteger(u"Qesto", u"Maximized", -1), -1);
        try {
            ini.writeInteger(u"Qesto", u"Maximized", 1);
            QFAIL("written into a directory");
        } catch (const platform::Error &e) {
            QVERIFY(e.message().contains(u"blocked.ini"));
        }
        QVERIFY_THROWS_EXCEPTION(platform::Error,
                                 IniFile(m_dir.filePath(u"missing/dir/x.ini"_s)).writeBool(u"A", u"B", true));
    }

    void writeProtectedFileIsNotReplaced()
    {
        const QString path = m_dir.filePath(u"protected.ini"_s);
        writeAll(path, "[A]\r\nk=1\r\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
        if (QFileInfo(path).isWritable())
            QSKIP("a privileged user may write any file");
        IniFile ini(path);
        QVERIFY_THROWS_EXCEPTION(platform::Error, ini.writeString(u"A", u"k", u"2"));
        QCOMPARE(ini.readString(u"A", u"k"), u"1"_s);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestText)
#include "test_text.moc"
