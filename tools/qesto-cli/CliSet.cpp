// qesto-cli set: values typed into a window's boxes without the window.
#include "CliCommands.h"
#include "CliSettlement.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "statements/FormInput.h"

using namespace Qt::StringLiterals;

namespace cli {

namespace {

using Assignments = QList<std::pair<QString, QString>>;

// FIELD=TEXT pairs; the first malformed one is the error.
std::optional<Assignments> parseAssignments(const QStringList &args, QString &error)
{
    Assignments values;
    for (const QString &a : args) {
        const qsizetype eq = a.indexOf(u'=');
        if (eq <= 0) {
            error = u"Zadání '%1' nemá tvar POLE=TEXT."_s.arg(a);
            return std::nullopt;
        }
        values.append({a.left(eq), a.mid(eq + 1)});
    }
    return values;
}

// The print window completes the parameters of a settlement made from
// the empty templates when it opens; without a copy count no post of them
// would pass.
void completePrintParameters(data::Dataset &dmt)
{
    data::Field &kop = *dmt.fieldByName(u"Kop"_s);
    data::Field &trh1 = *dmt.fieldByName(u"Trh1"_s);
    if (kop.asInteger() >= 1 && !trh1.asString().isEmpty())
        return;
    if (!dmt.isEditing())
        dmt.edit();
    if (kop.asInteger() < 1)
        kop.setAsInteger(1);
    if (trh1.asString().isEmpty())
        trh1.setAsString(u"vybranou stránku"_s);
}

// The places of work in ID order: --add, --row N, --delete N.
struct VpzTarget
{
    enum class Action
    {
        Add,
        Row,
        Delete
    } action = Action::Add;
    int row = 0;
};

std::optional<VpzTarget> parseVpzTarget(QStringList &args, QString &error)
{
    VpzTarget t;
    const QString first = args.value(0);
    if (first == u"--add") {
        args.removeFirst();
        return t;
    }
    if (first == u"--row" || first == u"--delete") {
        bool ok = false;
        t.row = args.value(1).toInt(&ok);
        if (!ok || t.row < 1) {
            error = u"Za %1 patří číslo místa výkonu práce od 1."_s.arg(first);
            return std::nullopt;
        }
        t.action = first == u"--row" ? VpzTarget::Action::Row : VpzTarget::Action::Delete;
        args.remove(0, 2);
        if (t.action == VpzTarget::Action::Delete && !args.isEmpty()) {
            error = u"Mazání místa výkonu práce nebere žádné POLE=TEXT."_s;
            return std::nullopt;
        }
        return t;
    }
    error = u"Místa výkonu práce: set ADRESÁŘ Vpz --add POLE=TEXT... | --row N POLE=TEXT... | --delete N"_s;
    return std::nullopt;
}

} // namespace

Result set(const QString &dir, const QString &table, const QStringList &arguments)
{
    QStringList args = arguments;
    QString error;
    std::optional<VpzTarget> vpz;
    if (table.compare(u"Vpz"_s, Qt::CaseInsensitive) == 0) {
        vpz = parseVpzTarget(args, error);
        if (!vpz)
            return failure(error);
    }
    const std::optional<Assignments> values = parseAssignments(args, error);
    if (!values)
        return failure(error);
    if (values->isEmpty() && (!vpz || vpz->action != VpzTarget::Action::Delete))
        return failure(u"Chybí POLE=TEXT."_s);
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        statements::FormInput input(m.dm, table);
        data::Dataset &dataset = input.dataset();
        if (vpz) {
            if (vpz->action != VpzTarget::Action::Add && vpz->row > dataset.recordCount())
                return failure(u"Místo výkonu práce č. %1 neexistuje, míst je %2."_s.arg(vpz->row).arg(
                    dataset.recordCount()));
            if (vpz->action == VpzTarget::Action::Add) {
                dataset.append();
            } else {
                dataset.setRecNo(vpz->row);
                if (vpz->action == VpzTarget::Action::Delete) {
                    dataset.deleteRecord();
                    m.dm.Disconnect();
                    return Result{};
                }
            }
        } else if (&dataset == &m.dm.Dmt()) {
            completePrintParameters(dataset);
        }
        Result r;
        // A refusal leaves the loop before the post; disconnecting drops
        // the record, so the file stays as it was.
        for (const auto &[field, text] : *values) {
            const QString caption = input.type(field, text);
            if (!caption.isEmpty())
                r.output += (field + u": "_s + caption + u'\n').toUtf8();
        }
        input.post();
        m.dm.Disconnect();
        return r;
    });
}

} // namespace cli
