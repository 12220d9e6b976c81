// qesto-cli set: values typed into a statement's boxes without the window.
#include "CliCommands.h"
#include "CliSettlement.h"
#include "statements/FormInput.h"

using namespace Qt::StringLiterals;

namespace cli {

Result set(const QString &dir, const QString &table, const QStringList &assignments)
{
    QList<std::pair<QString, QString>> values;
    for (const QString &a : assignments) {
        const qsizetype eq = a.indexOf(u'=');
        if (eq <= 0)
            return failure(u"Zadání '%1' nemá tvar POLE=TEXT."_s.arg(a));
        values.append({a.left(eq), a.mid(eq + 1)});
    }
    return guarded([&] {
        Module m(locate(dir));
        m.open();
        statements::FormInput input(m.dm, table);
        // A refusal leaves the loop before the post; disconnecting drops
        // the record, so the file stays as it was.
        for (const auto &[field, text] : values)
            input.type(field, text);
        input.post();
        m.dm.Disconnect();
        return Result{};
    });
}

} // namespace cli
