#include "CliCommands.h"
#include "CliSettlement.h"
#include "PxDump.h"
#include "data/DataFiles.h"
#include "data/TDM1.h"
#include "platform/FileOps.h"
#include "platform/Messages.h"
#include "registry/SettlementList.h"
#include "settlement/Version.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace cli {

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

Result newSettlement(const QString &root, const QString &name, const QString &password)
{
    // The password prompt takes no more; a longer one could never be typed.
    if (password.size() > registry::PasswordTable::MaxLength)
        return failure(u"Heslo může mít nejvýše %1 znaků."_s.arg(registry::PasswordTable::MaxLength));
    QString fileDir = platform::FileOps::withTrailingSeparator(QFileInfo(root).absoluteFilePath());
    // The list itself comes from the templates when it is missing, as at
    // the program's start; without them this is no data root.
    if (!platform::FileOps::fileExists(fileDir + u"Data.DB"_s) &&
        !platform::FileOps::fileExists(fileDir + data::DataFiles::templateDir() + u"Data.DB"_s))
        return failure(u"V adresáři %1 nejsou data Qesto."_s.arg(platform::FileOps::nativePath(fileDir)));
    return guarded([&] {
        RootList root(fileDir);
        registry::SettlementList &list = root.list;
        CollectedMessages &messages = root.messages;
        if (!list.isOpen())
            return failure(root.refusal());
        const registry::NewSettlement draft = list.prepareNew();
        if (!list.create(draft, name)) {
            list.close();
            return failure(messages.texts.join(u'\n'));
        }
        // Another computer may have taken the proposed number meanwhile: the
        // entry made current by the creation is the new one.
        const std::optional<registry::Settlement> made = list.current();
        if (!made) {
            list.close();
            return failure(u"Nové Qesto nebylo nalezeno v seznamu."_s);
        }
        if (!password.isEmpty() && !list.setPassword(made->Cislo, password)) {
            list.close();
            return failure(messages.texts.join(u'\n') +
                           u"\nQesto %1 bylo vytvořeno bez hesla."_s.arg(made->Adresar));
        }
        list.close();
        Result r;
        r.output = (platform::FileOps::nativePath(fileDir + made->Adresar) + u'\n').toUtf8();
        return r;
    });
}

} // namespace cli
