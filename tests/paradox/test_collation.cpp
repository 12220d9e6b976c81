#include "paradox/Collation.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace paradox;
using namespace Qt::StringLiterals;

class TestCollation : public QObject
{
    Q_OBJECT

private slots:
    // Pairs in the order a Czech reader expects: first < second.
    void pairs_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        auto row = [](const char *name, const char16_t *a, const char16_t *b) {
            QTest::newRow(name) << QString::fromUtf16(a) << QString::fromUtf16(b);
        };
        row("ch after h", u"hrad", u"chata");
        row("ch before i", u"chyba", u"ihned");
        row("ch after cz", u"cz", u"ch");
        row("c before č", u"cukr", u"čaj");
        row("č before d", u"čtverec", u"dům");
        row("ř after r", u"rychle", u"řeka");
        row("š after s", u"sýr", u"šach");
        row("ž after z", u"zvon", u"žába");
        row("Ž capital after z", u"zvon", u"Žabka");
        row("á is not a letter of its own", u"áb", u"ac");
        row("accent decides only on equal letters", u"kořínek", u"kořist");
        row("plain before acute", u"pas", u"pás");
        row("e é ě", u"é", u"ě");
        row("u ú ů", u"ú", u"ů");
        row("ů before v", u"ů", u"v");
        row("ď second level", u"ďábel", u"dáma");
        row("ť second level", u"ťuk", u"tvar");
        row("ň second level", u"ňadro", u"nebe");
        row("first accent from the left decides", u"kočka", u"kočká");
        row("lower case first", u"novák", u"Novák");
        row("case only after letters", u"Adam", u"bod");
        row("Ch capital", u"Hana", u"Chalupa");
        row("CH capital", u"HUDBA", u"CHLEBA");
        row("c then accented h is no ch", u"c\u0301h", u"ch");
        row("shorter first", u"Nov", u"Novák");
        row("space before letters", u"Nová Ves", u"Novák");
        row("digits before letters", u"2015", u"a");
        row("empty first", u"", u"a");
        row("ľ beside l", u"ľad", u"lak");
        row("ö beside o", u"öl", u"pes");
        row("ł beside l", u"łan", u"m");
    }
    void pairs()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QVERIFY2(compareCzech(first, second) < 0, qPrintable(first + u" < "_s + second));
        QVERIFY2(compareCzech(second, first) > 0, qPrintable(second + u" > "_s + first));
        QVERIFY(czechSortKey(first) < czechSortKey(second));
    }

    // A list sorted by the key bytes comes out in the order compareCzech
    // gives, which is what keeps an index built from the keys consistent.
    void sortKeyAgreesWithCompare()
    {
        const QString alphabet = u"aAáÁbcCčČdďeéěfghHiíjklmnňoópqrřsštťuúůvwxyýzž 0-."_s;
        QRandomGenerator rng(2015);
        QStringList words;
        for (int i = 0; i < 2000; ++i) {
            QString w;
            const int len = int(rng.bounded(6));
            for (int j = 0; j < len; ++j)
                w += alphabet.at(int(rng.bounded(alphabet.size())));
            words << w;
        }
        QStringList byCompare = words;
        std::sort(byCompare.begin(), byCompare.end(),
                  [](const QString &a, const QString &b) { return compareCzech(a, b) < 0; });
        QStringList byKey = words;
        std::sort(byKey.begin(), byKey.end(),
                  [](const QString &a, const QString &b) { return czechSortKey(a) < czechSortKey(b); });
        QCOMPARE(byKey, byCompare);
        for (int i = 1; i < byCompare.size(); ++i)
            QVERIFY(compareCzech(byCompare.at(i - 1), byCompare.at(i)) <= 0);
    }
};

QTEST_GUILESS_MAIN(TestCollation)
#include "test_collation.moc"
