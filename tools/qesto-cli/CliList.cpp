#include "CliCommands.h"
#include "CliSettlement.h"
#include "PxDump.h"
#include "platform/FileOps.h"
#include "platform/Messages.h"
#include "registry/SettlementList.h"
#include "settlement/Version.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

// What the list would show in message boxes, kept for stderr. Nothing is
// asked: attaching and showing the list ask no questions.
class CollectedMessages : public platform::IMessages
{
public:
    void error(const QString &text) override { add(text, true); }
    void information(const QString &text) override { add(text, false); }
    bool confirm(const QString &) override { return false; }
    Answer question(const QString &) override { return Answer::Cancel; }

    QStringList texts;
    bool anyError = false;

private:
    void add(const QString &text, bool isError)
    {
        texts.append(text);
        anyError = anyError || isError;
    }
};

} // namespace

Result listSettlements(const QString &root)
{
    // The list's tables are found through the engine's control folder, which
    // must not depend on the current folder: a relative path is made whole.
    QString fileDir =
        platform::FileOps::withTrailingSeparator(QDir(platform::FileOps::resolve(root)).absolutePath());
    CollectedMessages messages;
    registry::SettlementList list({fileDir, fileDir, settlement::Version::yearTag()}, messages);
    list.attach();
    list.prepareShow();
    Result r;
    if (!list.isOpen()) {
        r.exitCode = 2;
        r.error = messages.texts.join(u'\n');
        if (r.error.isEmpty())
            r.error = u"V adresáři %1 není seznam Qesto."_s.arg(platform::FileOps::nativePath(fileDir));
        return r;
    }
    r.output = "Cislo,Nazev,Adresar,Heslo\n";
    for (const registry::Settlement &s : list.entries()) {
        r.output += QByteArray::number(s.Cislo) + ',';
        pxdump::appendCell(r.output, s.Nazev.toUtf8());
        r.output += ',';
        pxdump::appendCell(r.output, s.Adresar.toUtf8());
        // A password table that cannot be read protects everything.
        r.output += list.checkPassword(s.Cislo, QString()) ? ",0\n" : ",1\n";
    }
    list.close();
    messages.texts.removeDuplicates();
    r.error = messages.texts.join(u'\n');
    return r;
}

} // namespace cli
