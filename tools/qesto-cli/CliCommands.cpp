#include "CliCommands.h"

#include "CliSettlement.h"
#include "PxDump.h"
#include "data/DatasetDefs.h"
#include "data/RecordStore.h"
#include "data/TDM1.h"
#include "paradox/RowCursor.h"
#include "paradox/Table.h"
#include "statements/Recalc.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace cli {

QString usage()
{
    return u"Použití: qesto-cli new DATOVÝ_ADRESÁŘ NÁZEV [--password HESLO]\n"
           u"       qesto-cli open|recalc|check ADRESÁŘ | dump ADRESÁŘ TABULKA\n"
           u"       qesto-cli set ADRESÁŘ TABULKA POLE=TEXT...\n"
           u"       qesto-cli set ADRESÁŘ Vpz --add POLE=TEXT... | --row N POLE=TEXT... | --delete N\n"
           u"       qesto-cli export ADRESÁŘ [SOUBOR.json] | import ADRESÁŘ SOUBOR.json\n"
           u"       qesto-cli import-csv ADRESÁŘ Vdvl|Vdvs SOUBOR.csv\n"
           u"       qesto-cli epo ADRESÁŘ SOUBOR.xml [--withholding] | pdf ADRESÁŘ SOUBOR.pdf [STRANA...]\n"
           u"       qesto-cli backup ADRESÁŘ ZIP | restore ADRESÁŘ ZIP [--other-company] | new-year ADRESÁŘ "
           u"[1|2]\n"
           u"       qesto-cli list DATOVÝ_ADRESÁŘ\n"
           u"       qesto-cli check-all DATOVÝ_ADRESÁŘ [--password-file SOUBOR]\n"
           u"       qesto-cli pdf-all|epo-all DATOVÝ_ADRESÁŘ VÝSTUP [--withholding] [--password-file "
           u"SOUBOR]\n"
           u"       qesto-cli import-payroll ADRESÁŘ DATA_DB_GAVREL ČÍSLO_FIRMY [--company-data] [--password "
           u"HESLO]\n"
           u"       qesto-cli --help | --version"_s;
}

namespace {

QByteArray flag(bool on)
{
    return on ? "1" : "0";
}

// A calculated column's cell, written as the stored columns are.
void appendCalculated(QByteArray &out, const data::Field &field)
{
    out += ',';
    if (field.isNull())
        return;
    pxdump::appendCell(out, field.dataType() == paradox::FieldType::Number
                                ? pxdump::numberText(field.asFloat())
                                : field.asString().toUtf8());
}

// The one record of a dataset that lists a table: the row the listing has
// reached, so that the dataset's rules compute its calculated fields.
class CurrentRowStore final : public data::RecordStore
{
public:
    explicit CurrentRowStore(paradox::Schema schema) : m_schema(std::move(schema)) {}

    void show(const QVariantList &row) { m_row = row; }

    void open() override { m_open = true; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    paradox::Schema schema() const override { return m_schema; }
    int count() const override { return m_row.isEmpty() ? 0 : 1; }
    QVariantList read(int) const override { return m_row; }
    int insert(int, const QVariantList &) override { refuse(); }
    int update(int, const QVariantList &) override { refuse(); }
    void remove(int) override { refuse(); }

private:
    [[noreturn]] static void refuse()
    {
        throw data::DatabaseError(data::DatabaseError::Kind::State, u"Výpis tabulky nic nemění."_s);
    }

    paradox::Schema m_schema;
    QVariantList m_row;
    bool m_open = false;
};

} // namespace

Result open(const QString &dir)
{
    return guarded([&] {
        const Settlement s = locate(dir);
        Module m(s);
        const data::UpgradeFlags flags = m.open();
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
        // An upgrading opening has recomputed them already.
        if (!m.open().any())
            statements::PrepocetVY(m.dm);
        m.dm.Disconnect();
        return Result{};
    });
}

Result dump(const QString &dir, const QString &tableName, const pxdump::Sink &sink)
{
    return guarded([&] {
        const Settlement s = locate(dir);
        const data::TableDef *def = data::findTableDef(tableName);
        if (!def || def->id() == data::TableId::Data || def->id() == data::TableId::Uziv)
            return failure(u"Tabulka %1 není tabulkou zpracování."_s.arg(tableName));

        data::TDM1 session(data::Collaborators::tablesOnly());
        session.DM1Create(s.root);
        paradox::OpenOptions options = session.openOptions();
        options.readOnly = true;
        // Read as it lies on the disk, row by row: a listing changes nothing
        // (no record is added to an empty one-record table) and takes little
        // memory whatever the table's size.
        paradox::RowCursor rows =
            paradox::Table::stream(data::tableFilePath(s.dir, def->fileName()), options);

        // The calculated columns come from the table's own rules, on a
        // dataset whose one record is the row being listed. Opening it
        // refuses an older file that lacks fields, as the program's opening
        // would before upgrading it.
        CurrentRowStore current(rows.schema());
        data::Dataset dataset(def->name(), &current);
        data::DatasetBinding binding(dataset, *def);
        dataset.setOneRecord(false);
        dataset.open();
        const QList<data::Field *> &calculated = binding.calculatedFields();

        Result r;
        const pxdump::Sink out = sink ? sink : [&r](QByteArrayView piece) { r.output += piece; };
        pxdump::CsvWriter writer(rows.schema());
        QByteArray piece;
        writer.appendHeader(piece);
        for (const data::Field *f : calculated)
            piece += ',' + f->fieldName().toUtf8();
        piece += "\r\n";
        while (rows.next()) {
            writer.appendRecord(piece, rows.row());
            if (!calculated.isEmpty()) {
                current.show(writer.values());
                dataset.refresh();
                for (const data::Field *f : calculated)
                    appendCalculated(piece, *f);
            }
            piece += "\r\n";
            if (piece.size() >= 64 * 1024) {
                out(piece);
                piece.resize(0);
            }
        }
        out(piece);
        dataset.close();
        return r;
    });
}

Result run(const QStringList &args, const pxdump::Sink &sink, const Progress &progress)
{
    if (args.size() == 1 && (args[0] == u"--help" || args[0] == u"-h"))
        return help();
    if (args.size() == 1 && (args[0] == u"--version" || args[0] == u"-v"))
        return version();
    if (args.size() == 2 && args[0] == u"open")
        return open(args[1]);
    if (args.size() == 2 && args[0] == u"recalc")
        return recalc(args[1]);
    if (args.size() == 3 && args[0] == u"dump")
        return dump(args[1], args[2], sink);
    if (args.size() >= 4 && args[0] == u"set")
        return set(args[1], args[2], args.mid(3));
    if (args.size() == 2 && args[0] == u"check")
        return check(args[1]);
    if ((args.size() == 3 || (args.size() == 4 && args[3] == u"--withholding")) && args[0] == u"epo")
        return epo(args[1], args[2], args.size() == 4);
    if (args.size() == 3 && args[0] == u"backup")
        return backupSettlement(args[1], args[2]);
    if ((args.size() == 3 || (args.size() == 4 && args[3] == u"--other-company")) && args[0] == u"restore")
        return restoreSettlement(args[1], args[2], args.size() == 4);
    if ((args.size() == 2 || args.size() == 3) && args[0] == u"new-year")
        return newYear(args[1], args.size() == 3 ? args[2].toInt() : 1);
    if ((args.size() == 3 || (args.size() == 5 && args[3] == u"--password")) && args[0] == u"new")
        return newSettlement(args[1], args[2], args.value(4));
    if ((args.size() == 2 || args.size() == 3) && args[0] == u"export")
        return exportSettlement(args[1], args.value(2));
    if (args.size() == 3 && args[0] == u"import")
        return importSettlement(args[1], args[2]);
    if (args.size() == 4 && args[0] == u"import-csv")
        return importCsv(args[1], args[2], args[3]);
    if (!args.isEmpty() && args[0] == u"check-all")
        return runBatch(BatchKind::Check, args.mid(1), sink, progress);
    if (!args.isEmpty() && args[0] == u"epo-all")
        return runBatch(BatchKind::Epo, args.mid(1), sink, progress);
    if (!args.isEmpty() && args[0] == u"pdf-all")
        return runBatch(BatchKind::Pdf, args.mid(1), sink, progress);
    if (args.size() == 2 && args[0] == u"list")
        return listSettlements(args[1]);
    if (args.size() >= 4 && args[0] == u"import-payroll")
        return importPayroll(args.mid(1));
    if (args.size() >= 3 && args[0] == u"pdf")
        return pdf(args[1], args[2], args.mid(3));
    return failure(usage());
}

bool needsGui(const QStringList &args)
{
    return !args.isEmpty() && (args[0] == u"pdf" || args[0] == u"pdf-all");
}

} // namespace cli
