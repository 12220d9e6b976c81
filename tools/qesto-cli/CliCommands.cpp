#include "CliCommands.h"

#include "CliSettlement.h"
#include "PxDump.h"
#include "data/DatasetDefs.h"
#include "data/ParadoxStore.h"
#include "data/TDM1.h"
#include "paradox/Table.h"
#include "statements/Recalc.h"

#include <QDir>
#include <QFileInfo>

#include <charconv>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

QString usage()
{
    return u"Použití: qesto-cli open ADRESÁŘ | recalc ADRESÁŘ | dump ADRESÁŘ TABULKA | check ADRESÁŘ"_s +
           u" | set ADRESÁŘ TABULKA POLE=TEXT..."_s + u" | epo ADRESÁŘ SOUBOR.xml [--withholding]"_s +
           u" | backup ADRESÁŘ ZIP | restore ADRESÁŘ ZIP | new-year ADRESÁŘ [1|2]"_s +
           u"\n       qesto-cli import-payroll ADRESÁŘ DATA_DB_GAVREL ČÍSLO_FIRMY [--company-data] [--password HESLO]"_s
#ifdef QESTO_HAVE_PRINT
           + u" | pdf ADRESÁŘ SOUBOR.pdf [STRANA...]"_s
#endif
        ;
}

QByteArray flag(bool on)
{
    return on ? "1" : "0";
}

QByteArray cell(const data::Field &field)
{
    if (field.isNull())
        return {};
    QByteArray text;
    if (field.dataType() == paradox::FieldType::Number) {
        // Shortest text that reads back to the same double, as the stored columns.
        char buf[32];
        const auto res = std::to_chars(buf, buf + sizeof buf, field.asFloat());
        text = QByteArray(buf, res.ptr - buf);
    } else {
        text = field.asString().toUtf8();
    }
    if (text.contains(',') || text.contains('"') || text.contains('\n') || text.contains('\r'))
        return '"' + QByteArray(text).replace("\"", "\"\"") + '"';
    return text;
}

// Appends the extra cells of each line to the CSV text, line by line; line
// ends inside quoted cells belong to the cell.
QByteArray appendColumns(const QByteArray &csv, const QList<QByteArray> &extra)
{
    QByteArray out;
    out.reserve(csv.size() + extra.size() * 64);
    qsizetype line = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const char c = csv.at(i);
        if (c == '"')
            quoted = !quoted;
        if (!quoted && c == '\r' && i + 1 < csv.size() && csv.at(i + 1) == '\n' && line < extra.size())
            out += extra.at(line++);
        out += c;
    }
    return out;
}

} // namespace

Result open(const QString &dir)
{
    return guarded([&] {
        const Settlement s = locate(dir);
        Module m(s);
        m.dm.OtevritTabulky();
        const data::UpgradeFlags flags = m.dm.upgradeFlags();
        // As the program does after opening: the flags are raised only by
        // the opening that upgraded, so the statements are recomputed now or
        // never.
        if (flags.any())
            statements::PrepocetVY(m.dm);
        m.dm.Disconnect();
        Result r;
        r.output = "print-settings=" + flag(flags.printSettings) +
                   " statement-types=" + flag(flags.statementTypes) +
                   " last-company-generation=" + flag(flags.lastCompanyGeneration) + '\n';
        return r;
    });
}

Result recalc(const QString &dir)
{
    return guarded([&] {
        const Settlement s = locate(dir);
        Module m(s);
        m.dm.OtevritTabulky();
        statements::PrepocetVY(m.dm);
        m.dm.Disconnect();
        return Result{};
    });
}

Result dump(const QString &dir, const QString &tableName)
{
    return guarded([&] {
        const Settlement s = locate(dir);
        const data::TableDef *def = data::findTableDef(tableName);
        if (!def || def->id() == data::TableId::Data || def->id() == data::TableId::Uziv)
            return failure(u"Tabulka %1 není tabulkou zpracování."_s.arg(tableName));

        data::TDM1 session;
        session.DM1Create(s.root);
        paradox::OpenOptions options = session.openOptions();
        options.readOnly = true;
        const QString path = data::tableFilePath(s.dir, def->fileName());

        // A listing must not change the file: no record is added to an
        // empty one-record table.
        data::ParadoxStore store(path, options);
        data::Dataset dataset(def->name(), &store);
        data::DatasetBinding binding(dataset, *def);
        dataset.setOneRecord(false);
        dataset.open();

        const QByteArray stored = pxdump::csvText(*store.table());
        QList<QByteArray> extra;
        QByteArray header;
        for (const data::Field *f : binding.calculatedFields())
            header += ',' + f->fieldName().toUtf8();
        extra.append(header);
        for (int row = 0; row < dataset.recordCount(); ++row) {
            dataset.setRecNo(row + 1);
            QByteArray line;
            for (const data::Field *f : binding.calculatedFields())
                line += ',' + cell(*f);
            extra.append(line);
        }
        dataset.close();
        Result r;
        r.output = appendColumns(stored, extra);
        return r;
    });
}

Result run(const QStringList &args)
{
    if (args.size() == 2 && args[0] == u"open")
        return open(args[1]);
    if (args.size() == 2 && args[0] == u"recalc")
        return recalc(args[1]);
    if (args.size() == 3 && args[0] == u"dump")
        return dump(args[1], args[2]);
    if (args.size() >= 4 && args[0] == u"set")
        return set(args[1], args[2], args.mid(3));
    if (args.size() == 2 && args[0] == u"check")
        return check(args[1]);
    if ((args.size() == 3 || (args.size() == 4 && args[3] == u"--withholding")) && args[0] == u"epo")
        return epo(args[1], args[2], args.size() == 4);
    if (args.size() == 3 && args[0] == u"backup")
        return backupSettlement(args[1], args[2]);
    if (args.size() == 3 && args[0] == u"restore")
        return restoreSettlement(args[1], args[2]);
    if ((args.size() == 2 || args.size() == 3) && args[0] == u"new-year")
        return newYear(args[1], args.size() == 3 ? args[2].toInt() : 1);
    if (args.size() >= 4 && args[0] == u"import-payroll")
        return importPayroll(args.mid(1));
#ifdef QESTO_HAVE_PRINT
    if (args.size() >= 3 && args[0] == u"pdf")
        return pdf(args[1], args[2], args.mid(3));
#endif
    return failure(usage());
}

bool needsGui(const QStringList &args)
{
    return !args.isEmpty() && args[0] == u"pdf";
}

} // namespace cli
