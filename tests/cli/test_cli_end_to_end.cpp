// A settlement made ready for filing with qesto-cli alone, as a script of an
// accounting office would do it, run as a separate program.

#include "data/Templates.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(QESTO_CLI_PROGRAM), args);
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestCliEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void fromAnEmptyDataRootToFiling()
    {
        QTemporaryDir tmp;
        const QString root = tmp.filePath(u"QESTO215"_s);
        QVERIFY(data::createDataRoot(root + u'/').isEmpty());

        Run r = cli({u"new"_s, root, u"Stavby Novák"_s});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QString dir = QDir::fromNativeSeparators(QString::fromUtf8(r.out.trimmed().split('\n').last()));
        QVERIFY(QFileInfo(dir).isDir());

        const QStringList prp = {
            u"Rok=2015"_s,
            u"Zdo=1"_s,
            u"Dz=1.1.2015"_s,
            u"Dk=31.12.2015"_s,
            u"Dpdr1=ano"_s,
            u"Dpdr2=ano"_s,
            u"Dic=CZ25123456"_s,
            u"Fusp=hlavní město Prahu"_s,
            u"Fu=Prahu 1"_s,
            u"Ojv=Stavby Novák s.r.o."_s,
            u"Npd=Stavby Novák s.r.o."_s,
            u"Mi=Dlouhá 1234/5a, 110 00 Praha 1"_s,
            u"Zjv=Jan Novák, jednatel"_s,
            u"Ses=Jana Malá"_s,
            u"Tel=603123456"_s,
            u"Emlv=mala@example.cz"_s,
            u"Dv=15.2.2016"_s,
            u"Op=1"_s,
            u"Pfo=0"_s,
            u"Ojs=Stavby Novák s.r.o."_s,
            u"Adrb=Dlouhá 1234/5a, 110 00 Praha 1"_s,
            u"Zjvs=Jan Novák / jednatel"_s,
            u"Vses=Jana Malá"_s,
            u"Telx=603123456"_s,
            u"Emlx=mala@example.cz"_s,
            u"Dvs=16.2.2016"_s,
        };
        QStringList employees;
        for (int m = 1; m <= 12; ++m)
            employees.append(u"Z%1=%2"_s.arg(m).arg(20 + m));
        r = cli(QStringList{u"set"_s, dir, u"Prp"_s} + prp + employees);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, "Zdo: Za zdaňovací období\nPfo: právnických osob\n"_ba);

        r = cli({u"set"_s, dir, u"Vpz"_s, u"--add"_s, u"N3=Stavba Karlín"_s, u"C4=17"_s, u"N5=Praha"_s,
                 u"N6=554782"_s, u"N7=Hlavní město Praha"_s});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        r = cli({u"set"_s, dir, u"Vpz"_s, u"--add"_s, u"N3=Sklad Kladno"_s, u"C4=5"_s, u"N5=Kladno"_s,
                 u"N6=532053"_s, u"N7=Kladno"_s});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));

        QStringList vdvl;
        QStringList vdvs;
        for (int m = 1; m <= 12; ++m) {
            const QString amount = QString::number(10000 + m * 100);
            vdvl << u"Sl2%1=%2"_s.arg(m).arg(amount) << u"Sl3%1=%2"_s.arg(m).arg(amount)
                 << u"Sl9%1=%2"_s.arg(m).arg(amount);
            vdvs << u"Sl1%1=1500"_s.arg(m) << u"Sl2%1=1500"_s.arg(m) << u"Sl10%1=1500"_s.arg(m);
        }
        r = cli(QStringList{u"set"_s, dir, u"Vdvl"_s} + vdvl);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        r = cli(QStringList{u"set"_s, dir, u"Vdvs"_s} + vdvs);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));

        r = cli({u"check"_s, dir});
        QVERIFY2(r.exitCode == 0, r.out.constData());

        const QString xml = tmp.filePath(u"vyuctovani.xml"_s);
        r = cli({u"epo"_s, dir, xml});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QFile file(xml);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray filing = file.readAll();
        QVERIFY(filing.contains("<DPZVD6 "));
        QVERIFY(filing.contains("25123456"));
        QVERIFY(filing.contains("554782"));

        const QString pdf = tmp.filePath(u"vyuctovani.pdf"_s);
        r = cli({u"pdf"_s, dir, pdf});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        // The same over the whole data root, into a folder of its own.
        r = cli({u"pdf-all"_s, root, tmp.filePath(u"tisk"_s)});
        QVERIFY2(r.exitCode == 0, r.out.constData());
        QVERIFY(r.out.endsWith("Celkem 1 Qesto: 1 v pořádku, 0 s chybou, 0 přeskočeno (heslo).\n"));
        QVERIFY2(!r.err.contains(u"[1/1]"_s), qPrintable(r.err)); // no progress into a pipe
        QVERIFY(QFileInfo(tmp.filePath(u"tisk/D1_Stavby_Novak_s.r.o.pdf"_s)).size() > 1000);

        const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed; the PDF was written but not read back");
        QProcess extract;
        extract.start(pdftotext, {u"-layout"_s, pdf, u"-"_s});
        QVERIFY(extract.waitForFinished(60000));
        const QString text = QString::fromUtf8(extract.readAllStandardOutput());
        // The boxed rows print a character a cell.
        QString compact = text;
        compact.remove(QRegularExpression(u"\\s"_s));
        QVERIFY(compact.contains(u"StavbyNováks.r.o."_s));
        QVERIFY(compact.contains(u"25123456"_s));
        QVERIFY(text.contains(u"hlavní město Prahu"_s));
        QVERIFY(text.contains(u"Stavba Karlín"_s));
        QVERIFY(text.contains(u"10100"_s));
        QVERIFY(text.contains(u"532053"_s));
    }
};

QTEST_GUILESS_MAIN(TestCliEndToEnd)
#include "test_cli_end_to_end.moc"
