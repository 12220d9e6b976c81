// Renders an HTML document as a PDF of A4 pages with their numbers: the
// installation guide is written as HTML and shipped as PDF, made when the
// program is built by the same text engine the program prints with.

#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int fail(const QString &message)
{
    std::fputs((message + u'\n').toUtf8().constData(), stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2)
        return fail(u"Použití: qesto_htmlpdf VSTUP.html VÝSTUP.pdf"_s);

    QFile input(args[0]);
    if (!input.open(QIODevice::ReadOnly))
        return fail(u"Soubor %1 nelze číst: %2"_s.arg(args[0], input.errorString()));
    QTextDocument document;
    document.setHtml(QString::fromUtf8(input.readAll()));

    QSaveFile output(args[1]);
    if (!output.open(QIODevice::WriteOnly))
        return fail(u"Soubor %1 nelze zapsat: %2"_s.arg(args[1], output.errorString()));
    {
        QPdfWriter writer(&output);
        writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator(u"Qesto"_s);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 16, 18, 16), QPageLayout::Millimeter));
        document.print(&writer);
    }
    if (!output.commit())
        return fail(u"Soubor %1 nelze zapsat: %2"_s.arg(args[1], output.errorString()));
    return 0;
}
