#pragma once

// What the tests of the statement windows share with the benchmark that
// drives them longer: the windows by kind, statements emptied the same way
// in two settlements, and qesto-cli set on one of them.

#include "CliCommands.h"
#include "EditorFixture.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "statements/TEdvl1Form.h"
#include "statements/TEdvpaForm.h"

#include <memory>
#include <utility>

namespace editortest {

inline statements::StatementEditor *newEditor(statements::StatementKind kind, Settlement &s)
{
    if (kind == statements::StatementKind::Withholding)
        return new statements::TEdvpaForm(s.dm, s.messages, s.ini());
    return new statements::TEdvl1Form(s.dm, s.messages, s.ini());
}

// Both statements with every stored field empty, as a new settlement has
// them; without the post rules, which would store the emptied amounts as 0.
inline void clearStatements(data::TDM1 &dm)
{
    for (data::Dataset *table : {&dm.Vdvl(), &dm.Vdvs()}) {
        const auto rules = std::exchange(table->beforePost, nullptr);
        table->edit();
        for (int i = 0; i < table->fieldCount(); ++i) {
            if (!table->field(i)->isCalculated())
                table->field(i)->clear();
        }
        table->post();
        table->beforePost = rules;
    }
}

// The one settlement a test case starts from: created the first time, open,
// both statements empty, no scripted answers left over.
inline Settlement &freshStatements(std::unique_ptr<Settlement> &s)
{
    if (!s)
        s = std::make_unique<Settlement>();
    if (!s->dm.tablesOpen())
        s->dm.OtevritTabulky();
    clearStatements(s->dm);
    s->messages = platform::ScriptedMessages();
    return *s;
}

// Empties the statements of `s`, runs qesto-cli set on it with `assignments`
// (FIELD=TEXT) and gives the table's dump; the settlement is open again
// afterwards. An empty dump when set failed.
inline QByteArray cliSetDump(Settlement &s, const QString &table, const QStringList &assignments)
{
    if (!s.dm.tablesOpen())
        s.dm.OtevritTabulky();
    clearStatements(s.dm);
    s.dm.Disconnect();
    const QString dir = s.root + QStringLiteral("D1");
    QByteArray out;
    if (cli::run(QStringList{QStringLiteral("set"), dir, table} + assignments).exitCode == 0)
        out = cli::run({QStringLiteral("dump"), dir, table}).output;
    s.dm.OtevritTabulky();
    return out;
}

} // namespace editortest
