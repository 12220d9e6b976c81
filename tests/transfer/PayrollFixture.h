#pragma once

// The payroll program's data as tests need them: a payroll data root with
// its company list, "Gavrel.ini" and company directories, every table
// written by pxlib (plain or with a password) as the payroll program's own
// engine writes them.

#include "../paradox/PxPeer.h"
#include "PayrollTable.h"
#include "paradox/Table.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QVariantList>

namespace payrolltest {

using namespace paradox;

// One payroll row of an employee and month.
struct Row
{
    int o = 1;
    int dan = 0;
    bool prdb = false;
    double znd = 0, snd = 0, bon = 0, dps = 0;
    QDate dv = QDate(2015, 1, 31);
};

inline QVariantList rowValues(const Row &r, int id)
{
    return {id,
            1,
            QStringLiteral("7001011234"),
            QStringLiteral("Jan"),
            QStringLiteral("Novák"),
            r.dan,
            r.o,
            QStringLiteral("A"),
            r.prdb,
            r.dv,
            r.znd,
            r.snd,
            r.bon,
            r.dps};
}

// A table written by pxlib from records encoded by our engine.
inline bool writeTable(const QString &path, const Schema &schema, const QList<QVariantList> &rows,
                       const QString &password = {})
{
    const QString scratch = path + QStringLiteral(".scratch.DB");
    QList<QByteArray> raw;
    {
        auto t = Table::create(scratch, schema);
        t->appendRecords(rows);
        for (int r = 0; r < t->recordCount(); ++r)
            raw.append(t->rawRecord(r));
    }
    Table::removeTable(scratch);
    QList<pxpeer::Field> fields;
    for (const FieldDef &f : schema.fields)
        fields.append({f.name, int(f.type), f.size});
    return pxpeer::write(path, fields, raw, password);
}

inline bool writeRows(const QString &companyDir, const QList<Row> &rows, const QString &password = {})
{
    QList<QVariantList> values;
    values.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        values.append(rowValues(rows[i], int(i) + 1));
    return writeTable(companyDir + QStringLiteral("/Mzd1.DB"), rowsSchema(), values, password);
}

struct Company
{
    int cislo = 1;
    QString nazev;
    QString adresar;
    QString ico = QStringLiteral("12345678");
    QString dic = QStringLiteral("CZ12345678");
    QString fa = QStringLiteral("Stavby Novák s.r.o.");
    QString ul = QStringLiteral("Hlavní 12");
    QString mi = QStringLiteral("Brno");
    QString psc = QStringLiteral("60200");
    QString fullName = QStringLiteral("Stavby Novák, společnost s ručením omezeným");
};

// A payroll data root in dir ("Data.DB", "Gavrel.ini") with one directory
// per company holding "Mhl.DB", "Mtus.DB" and the company INI file; the
// monthly rows are written by writeRows.
inline bool writePayroll(const QString &dir, const QList<Company> &companies, const QString &password = {})
{
    QDir().mkpath(dir);
    QList<QVariantList> list;
    for (const Company &c : companies) {
        list.append({c.cislo, c.nazev, c.adresar});
        const QString cdir = dir + u'/' + c.adresar;
        QDir().mkpath(cdir);
        const QVariantList header{c.ico,
                                  c.dic,
                                  c.fa,
                                  c.ul,
                                  c.mi,
                                  c.psc,
                                  QString(),
                                  QString(),
                                  QString(),
                                  QString(),
                                  QDate(2015, 1, 1),
                                  QDate(2015, 12, 31),
                                  QString(),
                                  QString()};
        if (!writeTable(cdir + QStringLiteral("/Mhl.DB"), headerSchema(), {header}, password) ||
            !writeTable(cdir + QStringLiteral("/Mtus.DB"), {{alpha(QStringLiteral("Fa1"), 65)}, 0},
                        {{c.fullName}}, password))
            return false;
        QFile ini(cdir + u'/' + c.adresar + QStringLiteral(".ini"));
        if (!ini.open(QIODevice::WriteOnly))
            return false;
        ini.write("[Mzdy]\r\nObdobi=12\r\n");
    }
    QFile gini(dir + QStringLiteral("/Gavrel.ini"));
    if (!gini.open(QIODevice::WriteOnly))
        return false;
    gini.write("[Gavrel]\r\nNet=0\r\n");
    return writeTable(dir + QStringLiteral("/Data.DB"), listSchema(), list, password);
}

// The payroll data the crash harness and the full-disk script transfer: one
// company "Stavby" (folder F1, marked for Qesto) with a year of wages and
// agreements. Gives the payroll list's path.
inline QString writeHarnessPayroll(const QString &dir)
{
    Company company;
    company.nazev = QStringLiteral("Stavby");
    company.adresar = QStringLiteral("F1");
    writePayroll(dir, {company});
    QList<Row> rows;
    for (int m = 1; m <= 12; ++m) {
        rows.append({m, 1500 + m, false, 20000, 0, m % 3 == 0 ? 1200.0 : 0.0, 1500.0 + m});
        rows.append({m, 100 * m, true, 1000});
    }
    writeRows(dir + QStringLiteral("/F1"), rows);
    QFile ini(dir + QStringLiteral("/F1/F1.ini"));
    if (ini.open(QIODevice::Append))
        ini.write("[Qesto]\r\nFirma=1\r\n");
    return dir + QStringLiteral("/Data.DB");
}

// Every file below dir with its bytes, lock files left out (they come and
// go with every opening).
inline QHash<QString, QByteArray> snapshot(const QString &dir)
{
    QHash<QString, QByteArray> files;
    const QDir root(dir);
    QList<QString> pending{dir};
    while (!pending.isEmpty()) {
        const QDir d(pending.takeLast());
        for (const QFileInfo &info : d.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (info.isDir()) {
                pending.append(info.filePath());
                continue;
            }
            if (info.suffix().compare(QStringLiteral("lck"), Qt::CaseInsensitive) == 0 ||
                info.fileName().compare(QStringLiteral("PDOXUSRS.NET"), Qt::CaseInsensitive) == 0)
                continue;
            QFile f(info.filePath());
            if (f.open(QIODevice::ReadOnly))
                files.insert(root.relativeFilePath(info.filePath()), f.readAll());
        }
    }
    return files;
}

} // namespace payrolltest
