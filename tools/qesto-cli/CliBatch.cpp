// qesto-cli check-all, pdf-all and epo-all: every settlement of a data root
// in one go, as accounting offices file dozens of companies in the same weeks.
#include "CliCommands.h"
#include "CliSettlement.h"
#include "data/TDM1.h"
#include "filing/EpoExport.h"
#include "platform/FileOps.h"
#include "registry/SettlementList.h"
#include "settlement/RootBatch.h"
#include "settlement/Version.h"

#include <QDir>
#include <QFile>
#include <QHash>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

struct BatchArgs
{
    QString root;
    QString outDir;
    QString passwordFile;
    bool withholding = false;
};

std::optional<BatchArgs> parseBatchArgs(BatchKind kind, const QStringList &args, QString &error)
{
    BatchArgs b;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--password-file" && i + 1 < args.size())
            b.passwordFile = args[++i];
        else if (args[i] == u"--withholding" && kind == BatchKind::Epo)
            b.withholding = true;
        else if (args[i].startsWith(u"--"_s))
            positional.append(QString()); // makes the count wrong
        else
            positional.append(args[i]);
    }
    const qsizetype wanted = kind == BatchKind::Check ? 1 : 2;
    if (positional.size() != wanted || positional.contains(QString())) {
        error = kind == BatchKind::Check
                    ? u"Použití: qesto-cli check-all DATOVÝ_ADRESÁŘ [--password-file SOUBOR]"_s
                : kind == BatchKind::Pdf
                    ? u"Použití: qesto-cli pdf-all DATOVÝ_ADRESÁŘ VÝSTUPNÍ_ADRESÁŘ [--password-file SOUBOR]"_s
                    : u"Použití: qesto-cli epo-all DATOVÝ_ADRESÁŘ VÝSTUPNÍ_ADRESÁŘ [--withholding] "
                      u"[--password-file SOUBOR]"_s;
        return std::nullopt;
    }
    b.root = positional[0];
    b.outDir = positional.value(1);
    return b;
}

// "číslo=heslo" or "adresář=heslo" a line; "#" starts a comment. The
// password is everything after the first "=", blanks included.
std::optional<QHash<QString, QString>> readPasswords(const QString &path, QString &error)
{
    QHash<QString, QString> passwords;
    if (path.isEmpty())
        return passwords;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = u"Soubor hesel %1 nelze přečíst."_s.arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) {
            error = u"Soubor hesel, řádek %1: chybí tvar ČÍSLO=HESLO."_s.arg(i + 1);
            return std::nullopt;
        }
        passwords.insert(line.left(eq).trimmed().toLower(), line.mid(eq + 1));
    }
    return passwords;
}

} // namespace

Result runBatch(BatchKind kind, const QStringList &args, const pxdump::Sink &sink, const Progress &progress)
{
    QString error;
    const std::optional<BatchArgs> b = parseBatchArgs(kind, args, error);
    if (!b)
        return failure(error);
    const std::optional<QHash<QString, QString>> passwords = readPasswords(b->passwordFile, error);
    if (!passwords)
        return failure(error);
    return guarded([&] {
        QString fileDir = platform::FileOps::withTrailingSeparator(QFileInfo(b->root).absoluteFilePath());
        RootList root(fileDir);
        registry::SettlementList &list = root.list;
        if (!list.isOpen())
            return failure(root.refusal());

        Result r;
        const auto say = [&](const QString &text) {
            const QByteArray bytes = (text + u'\n').toUtf8();
            if (sink)
                sink(bytes);
            else
                r.output += bytes;
        };
        settlement::RootBatch batch(list);
        batch.setPasswords([&](const registry::Settlement &entry) -> std::optional<QString> {
            for (const QString &key : {QString::number(entry.Cislo), entry.Adresar.toLower()})
                if (passwords->contains(key))
                    return passwords->value(key);
            return std::nullopt;
        });
        batch.setProgress([&](int i, int count, const registry::Settlement &entry) {
            if (progress)
                progress(u"[%1/%2] %3 %4"_s.arg(i + 1).arg(count).arg(entry.Adresar, entry.Nazev));
            return true;
        });
        batch.setOutcome([&](const settlement::BatchOutcome &outcome) {
            say(outcome.line());
            // Beside a filing the findings say whether they would stop it.
            const QStringList below = kind == BatchKind::Epo
                                          ? filing::findingLines(outcome.findings) + outcome.details
                                          : outcome.detailLines();
            for (const QString &line : below)
                say(u"    "_s + line);
        });
        settlement::BatchOptions options;
        options.kind = kind == BatchKind::Check ? settlement::BatchKind::Check
                       : kind == BatchKind::Pdf ? settlement::BatchKind::Pdf
                                                : settlement::BatchKind::Xml;
        options.outDir = b->outDir.isEmpty() ? QString() : QFileInfo(b->outDir).absoluteFilePath();
        options.withholding = b->withholding;
        const settlement::BatchSummary summary = batch.run(options);
        list.close();
        if (!summary.error.isEmpty())
            return failure(summary.error);
        say(summary.text());
        r.exitCode = summary.exitCode();
        return r;
    });
}

} // namespace cli
