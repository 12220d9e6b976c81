#pragma once

// A data root with one settlement "D1" holding data in every table, for the
// backup, restore and rollover tests.

#include "backup/BackupJobs.h"
#include "data/DataFiles.h"
#include "data/TDM1.h"
#include "data/TableDefs.h"
#include "data/Templates.h"
#include "paradox/Table.h"
#include "platform/FileOps.h"
#include "settlement/SettlementOpening.h"
#include "statements/Recalc.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

namespace backuptest {

using Files = QHash<QString, QByteArray>;

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The eleven data files of a directory with their bytes (absent ones left
// out).
inline Files dataFiles(const QString &dir)
{
    Files files;
    for (const QString &name : data::DataFiles::settlementFiles()) {
        const QString path = QDir(dir).filePath(name);
        if (QFile::exists(path))
            files.insert(name, readAll(path));
    }
    return files;
}

// Every file below dir (relative path → bytes), lock files left out.
inline Files tree(const QString &dir)
{
    Files files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.endsWith(QStringLiteral(".lck"), Qt::CaseInsensitive))
            files.insert(QDir(dir).relativeFilePath(path), readAll(path));
    }
    return files;
}

// Writes a ZIP with the given entries (name → bytes), deflated.
inline bool writeZip(const QString &path, const QList<std::pair<QByteArray, QByteArray>> &entries)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    for (const auto &[name, bytes] : entries) {
        zip_source_t *src = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (zip_file_add(zip, name.constData(), src, ZIP_FL_ENC_RAW) < 0) {
            zip_source_free(src);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

class Fixture
{
public:
    Fixture()
    {
        QVERIFY(tmp.isValid());
        root = tmp.path() + QStringLiteral("/root");
        QCOMPARE(data::createDataRoot(root), QString());
        dir = root + QStringLiteral("/D1");
        QVERIFY(QDir().mkpath(dir));
        data::createSettlementTemplates(dir);
        QFile ini(dir + QStringLiteral("/D1.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Tisk]\r\nVychozi=1\r\n");
        ini.close();
        dm.DM1Create(root);
        dm.setDatabasePath(dir);
        dm.OtevritTabulky();
        fill(QStringLiteral("Stavby Novák s.r.o."), 1000.0);
    }

    // Company name and a figure in each statement, so that two settlements
    // differ in several files.
    void fill(const QString &company, double amount)
    {
        data::Dataset &prp = dm.Prp();
        prp.edit();
        dm.field(QStringLiteral("PrpOjv"))->setAsString(company);
        dm.field(QStringLiteral("PrpRok"))->setAsString(QStringLiteral("2015"));
        prp.post();
        data::Dataset &vdvl = dm.Vdvl();
        vdvl.edit();
        dm.field(QStringLiteral("VdvlSl21"))->setAsFloat(amount);
        vdvl.post();
        data::Dataset &vpz = dm.Vpz();
        vpz.append();
        dm.field(QStringLiteral("VpzN3"))->setAsString(company.left(10));
        vpz.post();
    }

    // The program's opening, as the backup and the restore reopen with it.
    backup::Reopening reopening(std::function<void(data::TDM1 &)> recalc = [](data::TDM1 &d) {
        statements::PrepocetVY(d);
    }) const
    {
        return settlement::reopening(dir, dm.templateDir(), dir + QStringLiteral("/D1.ini"), nullptr,
                                     std::move(recalc));
    }

    QTemporaryDir tmp;
    QString root;
    QString dir;
    data::TDM1 dm{data::Collaborators::tablesOnly()};
};

} // namespace backuptest
