// Printing speed: every printable page of a filled settlement written to a
// PDF (fill + draw), and as the peer QPdfWriter drawing the same number of
// plain texts, lines and pages measured in the same run. compare.sh prints
// the ratio.
#include "demo_settlement.h"
#include "print/FormPages.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

struct Fixture
{
    QTemporaryDir root;
    data::TDM1 dm{data::Collaborators::tablesOnly()};
    QList<int> pages;
    Fixture()
    {
        printtest::openDemo(dm, root.path());
        for (int n : print::printablePages())
            if (QFile::exists(print::layoutPath(n)))
                pages.append(n);
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

// What qesto-cli pdf does for the whole settlement, layouts loaded once (as
// the print window keeps them).
void BM_AllPagesToPdf(benchmark::State &state)
{
    Fixture &f = fixture();
    print::FormPages pages(f.dm);
    qint64 bytes = 0;
    for (auto _ : state) {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        QList<print::PreparedPage> sheets;
        for (int n : f.pages)
            sheets += pages.produce(n);
        print::writePdf(writer, sheets);
        bytes = out.size();
    }
    state.counters["pages"] = double(f.pages.size());
    state.counters["pdf_bytes"] = double(bytes);
}

// Filling alone: the prepared pages without drawing.
void BM_AllPagesPrepare(benchmark::State &state)
{
    Fixture &f = fixture();
    print::FormPages pages(f.dm);
    for (auto _ : state)
        for (int n : f.pages)
            benchmark::DoNotOptimize(pages.produce(n));
}

// The peer: the same number of pages, texts and lines drawn straight with
// QPainter into a QPdfWriter (one font, no layout, no data).
void BM_PlainTextPdf(benchmark::State &state)
{
    Fixture &f = fixture();
    print::FormPages pages(f.dm);
    int texts = 0, lines = 0;
    for (int n : f.pages)
        for (const print::PreparedPage &sheet : pages.produce(n))
            for (const print::Element &e : sheet.items)
                (e.text.isEmpty() ? lines : texts) += 1;
    const int perPage = texts / int(f.pages.size());
    const int linesPerPage = lines / int(f.pages.size());
    for (auto _ : state) {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        print::setUpPdfWriter(writer);
        QPainter painter(&writer);
        QFont font(u"Liberation Sans"_s);
        font.setPixelSize(40);
        painter.setFont(font);
        for (qsizetype p = 0; p < f.pages.size(); ++p) {
            if (p > 0)
                writer.newPage();
            for (int i = 0; i < perPage; ++i)
                painter.drawText(QPointF(100 + (i % 10) * 450, 100 + (i / 10) * 60), u"Text 12345"_s);
            for (int i = 0; i < linesPerPage; ++i)
                painter.drawLine(QPointF(100, 100 + i * 10), QPointF(4000, 100 + i * 10));
        }
        painter.end();
    }
    state.counters["texts_per_page"] = perPage;
}

// The employee count of a large employer: 1,000 places of work numbered into
// 56 sheets (Mds1), filled, drawn to PDF and the filler rows removed again.
void BM_EmployeeCount1000ToPdf(benchmark::State &state)
{
    if (!QFile::exists(print::layoutPath(6))) {
        state.SkipWithError("the employee-count layout is not there yet");
        return;
    }
    QTemporaryDir root;
    data::TDM1 dm{data::Collaborators::tablesOnly()};
    printtest::openDemo(dm, root.path());
    data::Dataset &vpz = dm.Vpz();
    for (int i = 1; i <= 1000; ++i) {
        vpz.append();
        printtest::set(dm, u"VpzN3"_s, u"Provozovna %1"_s.arg(i));
        printtest::set(dm, u"VpzC4"_s, double(i % 50 + 1));
        printtest::set(dm, u"VpzN5"_s, u"Brno"_s);
        printtest::set(dm, u"VpzN6"_s, u"582786"_s);
        printtest::set(dm, u"VpzN7"_s, u"Jihomoravský"_s);
        printtest::set(dm, u"VpzPmr"_s, true);
        vpz.post();
    }
    print::FormPages pages(dm);
    qsizetype sheets = 0;
    for (auto _ : state) {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        const QList<print::PreparedPage> prepared = pages.produce(6);
        sheets = prepared.size();
        print::writePdf(writer, prepared);
    }
    state.counters["sheets"] = double(sheets);
    dm.Disconnect();
}

} // namespace

BENCHMARK(BM_EmployeeCount1000ToPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllPagesToPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllPagesPrepare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainTextPdf)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
