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
    data::TDM1 dm;
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

} // namespace

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
