// qesto-cli check-all, pdf-all and epo-all: every settlement of a data root
// in one go, as accounting offices file dozens of companies in the same weeks.
#include "CliCommands.h"
#include "CliSettlement.h"
#include "data/Field.h"
#include "data/TDM1.h"
#include "platform/FileOps.h"
#include "registry/SettlementList.h"
#include "settlement/Version.h"
#include "statements/FilingChecks.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

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

// The payer as the main window's caption names it.
QString companyName(data::TDM1 &dm)
{
    const QString ojv = dm.fieldAs(u"PrpOjv"_s).asString().trimmed();
    if (!ojv.isEmpty())
        return ojv;
    const QString person = dm.fieldAs(u"PrpTiv"_s).asString() + u' ' + dm.fieldAs(u"PrpJmd"_s).asString() +
                           u' ' + dm.fieldAs(u"PrpPrk"_s).asString();
    return person.simplified();
}

// A file name any system takes: letters without accents, digits, "-" and
// "." kept, anything else one "_".
QString fileNamePart(const QString &text)
{
    QString out;
    for (const QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-' || c == u'.'))
            out += c;
        else if (!out.endsWith(u'_'))
            out += u'_';
    }
    while (out.endsWith(u'_') || out.endsWith(u'.'))
        out.chop(1);
    while (out.startsWith(u'_'))
        out.remove(0, 1);
    return out.left(60);
}

struct Tally
{
    int ok = 0;
    int listed = 0;
    int failed = 0;
    int skipped = 0;
};

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
    QString outDir;
    if (kind != BatchKind::Check) {
        outDir = QFileInfo(b->outDir).absoluteFilePath();
        if (!QDir().mkpath(outDir))
            return failure(u"Adresář %1 nelze vytvořit."_s.arg(QDir::toNativeSeparators(outDir)));
    }

    return guarded([&] {
        QString fileDir = platform::FileOps::withTrailingSeparator(QFileInfo(b->root).absoluteFilePath());
        data::TDM1 session(data::Collaborators::tablesOnly());
        session.DM1Create(fileDir);
        CollectedMessages messages;
        registry::SettlementList list({fileDir, fileDir, settlement::Version::yearTag()}, messages);
        list.setOpenOptions(session.openOptions());
        list.attach();
        if (!list.isOpen())
            return failure(messages.texts.isEmpty() ? u"V adresáři %1 není seznam Qesto."_s.arg(
                                                          platform::FileOps::nativePath(fileDir))
                                                    : messages.texts.join(u'\n'));
        const QList<registry::Settlement> entries = list.entries();

        Result r;
        const auto say = [&](const QString &text) {
            const QByteArray bytes = (text + u'\n').toUtf8();
            if (sink)
                sink(bytes);
            else
                r.output += bytes;
        };
        Tally tally;
        QSet<QString> written; // lower case: no file of this run is overwritten by another
        const QString extension = kind == BatchKind::Pdf ? u".pdf"_s : u".xml"_s;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const registry::Settlement &entry = entries[i];
            if (progress)
                progress(u"[%1/%2] %3 %4"_s.arg(i + 1).arg(entries.size()).arg(entry.Adresar, entry.Nazev));
            QString company;
            const auto line = [&](const QString &result) {
                say(QString::number(entry.Cislo) + u'\t' + entry.Nazev + u'\t' + company + u'\t' + result);
            };
            if (!list.checkPassword(entry.Cislo, QString())) {
                const QString key = passwords->contains(QString::number(entry.Cislo))
                                        ? QString::number(entry.Cislo)
                                        : entry.Adresar.toLower();
                if (!passwords->contains(key)) {
                    ++tally.skipped;
                    line(u"chráněno heslem, přeskočeno"_s);
                    continue;
                }
                if (!list.checkPassword(entry.Cislo, passwords->value(key))) {
                    ++tally.failed;
                    line(u"Neplatné heslo pro toto Qesto."_s);
                    continue;
                }
            }
            if (list.isInUse(entry)) {
                ++tally.failed;
                line(u"Toto Qesto právě zpracovává jiný uživatel."_s);
                continue;
            }
            try {
                Module m(locate(platform::FileOps::resolve(fileDir + entry.Adresar)));
                m.open();
                company = companyName(m.dm);
                if (kind == BatchKind::Check) {
                    const QList<statements::FilingIssue> issues = checkOpened(m);
                    if (issues.isEmpty()) {
                        ++tally.ok;
                        line(u"v pořádku"_s);
                    } else {
                        ++tally.listed;
                        line(u"nálezů: %1"_s.arg(issues.size()));
                        for (const QString &finding : statements::filingIssuesText(issues).split(u'\n'))
                            if (!finding.isEmpty())
                                say(u"    "_s + finding);
                    }
                    continue;
                }
                QString name = entry.Adresar + u'_' + fileNamePart(company);
                if (name.endsWith(u'_'))
                    name.chop(1);
                if (kind == BatchKind::Epo && b->withholding)
                    name += u"_srazkou"_s;
                QString fileName = name + extension;
                for (int n = 2; written.contains(fileName.toLower()); ++n)
                    fileName = name + u'-' + QString::number(n) + extension;
                const QString out = outDir + u'/' + fileName;
                const Result done =
                    kind == BatchKind::Pdf ? pdfOpened(m, out, {}) : epoOpened(m, out, b->withholding);
                if (done.exitCode != 0) {
                    ++tally.failed;
                    line(done.error.section(u'\n', 0, 0));
                    for (const QString &more : done.error.section(u'\n', 1).split(u'\n', Qt::SkipEmptyParts))
                        say(u"    "_s + more);
                    continue;
                }
                written.insert(fileName.toLower());
                ++tally.ok;
                line(u"zapsáno "_s + fileName);
                for (const QString &note : QString::fromUtf8(done.output).split(u'\n', Qt::SkipEmptyParts))
                    if (note.startsWith(u"Upozornění"_s))
                        say(u"    "_s + note);
            } catch (const platform::Error &e) {
                ++tally.failed;
                line(e.message().section(u'\n', 0, 0));
            }
        }
        list.close();
        QString summary = u"Celkem %1 Qesto: %2 v pořádku"_s.arg(entries.size()).arg(tally.ok);
        if (kind == BatchKind::Check)
            summary += u", %1 s nálezy"_s.arg(tally.listed);
        summary += u", %1 s chybou, %2 přeskočeno (heslo)."_s.arg(tally.failed).arg(tally.skipped);
        say(summary);
        r.exitCode = tally.listed + tally.failed > 0 ? 1 : 0;
        return r;
    });
}

} // namespace cli
