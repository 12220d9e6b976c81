// Every form page of the filled demo settlement against its reference image
// in tests/print/data. QESTO_UPDATE_GOLDEN=1 rewrites the references (and the
// copies shown in docs/forms) from the current rendering.
#include "demo_settlement.h"
#include "golden.h"
#include "print/FormPages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPrintGolden : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void page_data();
    void page();
    void harnessCatchesAMovedBoxAndAMissingText();

private:
    std::unique_ptr<printtest::Demo> m_demo;
    data::TDM1 *m_dm = nullptr;
    print::FormPages *m_pages = nullptr;
};

void TestPrintGolden::initTestCase()
{
    m_demo = std::make_unique<printtest::Demo>();
    m_dm = &m_demo->dm;
    m_pages = m_demo->pages.get();
}

void TestPrintGolden::cleanupTestCase()
{
    m_demo.reset();
}

void TestPrintGolden::page_data()
{
    QTest::addColumn<int>("index");
    for (int index : print::printablePages())
        if (QFile::exists(print::layoutPath(index)))
            QTest::newRow(qPrintable(QFileInfo(print::layoutPath(index)).baseName())) << index;
}

void TestPrintGolden::page()
{
    QFETCH(int, index);
    const QList<print::PreparedPage> sheets = m_pages->produce(index);
    QVERIFY(!sheets.isEmpty());
    const QString base = QFileInfo(print::layoutPath(index)).baseName();
    const QString refDir = QStringLiteral(QESTO_TEST_SOURCE_DIR) + u"/data/"_s;
    const QString outDir = QStringLiteral(QESTO_TEST_BINARY_DIR) + u"/golden/"_s;
    QDir().mkpath(outDir);
    const bool update = qEnvironmentVariableIntValue("QESTO_UPDATE_GOLDEN") == 1;
    for (qsizetype s = 0; s < sheets.size(); ++s) {
        const QString name = base + (s > 0 ? u"-"_s + QString::number(s + 1) : QString()) + u".png"_s;
        const QImage actual = printtest::renderImage(sheets[s]);
        if (update) {
            QVERIFY(actual.save(refDir + name));
            const QString docs = QStringLiteral(QESTO_TEST_SOURCE_DIR) + u"/../../docs/forms/"_s;
            QDir().mkpath(docs);
            QVERIFY(actual.save(docs + name));
            continue;
        }
        const QImage expected(refDir + name);
        QVERIFY2(!expected.isNull(),
                 qPrintable(u"Chybí referenční obrázek %1 (QESTO_UPDATE_GOLDEN=1 jej vytvoří)"_s.arg(name)));
        const printtest::Comparison c = printtest::compareImages(actual, expected);
        if (c.differing > 0) {
            actual.save(outDir + u"actual-"_s + name);
            if (!c.difference.isNull())
                c.difference.save(outDir + u"diff-"_s + name);
        }
        QVERIFY2(c.differing == 0,
                 qPrintable(u"%1: %2 pixels differ; see %3actual-%1 and %3diff-%1"_s.arg(name)
                                .arg(c.differing)
                                .arg(outDir)));
    }
}

// The comparison must not be so forgiving that a box two pixels off or a
// lost character passes.
void TestPrintGolden::harnessCatchesAMovedBoxAndAMissingText()
{
    print::PreparedPage page;
    print::Element frame;
    frame.kind = print::ElementKind::Frame;
    frame.rect = QRectF(100, 100, 200, 60);
    frame.pen = 0.6;
    print::Element text;
    text.kind = print::ElementKind::Label;
    text.rect = QRectF(110, 110, 180, 20);
    text.text = u"Vyúčtování 12345"_s;
    text.align = Qt::AlignLeft | Qt::AlignTop;
    page.items = {frame, text};
    const QImage reference = printtest::renderImage(page);
    QCOMPARE(printtest::compareImages(printtest::renderImage(page), reference).differing, 0);

    print::PreparedPage moved = page;
    moved.items[0].rect.translate(2, 0); // about half a millimetre, 2 pixels
    QVERIFY(printtest::compareImages(printtest::renderImage(moved), reference).differing > 20);

    print::PreparedPage missing = page;
    missing.items[1].text = u"Vyúčtování 1234"_s;
    QVERIFY(printtest::compareImages(printtest::renderImage(missing), reference).differing > 10);
}

QTEST_MAIN(TestPrintGolden)
#include "test_print_golden.moc"
