#include "data/ListFiles.h"

#include "paradox/FileLayer.h"
#include "paradox/SecondaryIndex.h"
#include "platform/Error.h"
#include "platform/FileOps.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace data {

void KopSezn1(const QString &sourceDir, const QString &targetDir, ListGroup group)
{
    const QStringList &files = listFileNames(group);
    const QString table = tableFilePath(sourceDir, files.first());
    if (platform::FileOps::fileExists(table)) {
        paradox::Table::copyTable(table, tableFilePath(targetDir, files.first()));
        return;
    }
    // Without its table only loose files are left to copy, one by one.
    for (const QString &name : files) {
        const QString source = tableFilePath(sourceDir, name);
        if (!platform::FileOps::fileExists(source))
            continue;
        const QString target = tableFilePath(targetDir, name);
        if (!platform::FileOps::copyFile(source, target, true))
            throw platform::Error(u"Soubor %1 nelze zkopírovat do %2."_s.arg(
                QDir::toNativeSeparators(source), QDir::toNativeSeparators(target)));
    }
}

namespace {

QString cannotOpenText(ListGroup group)
{
    return group == ListGroup::Passwords ? u"Tabulku hesel Uziv.DB nelze otevřít."_s
                                         : u"Seznam Qesto Data.DB nelze otevřít."_s;
}

QString replacedText(ListGroup group)
{
    return group == ListGroup::Passwords
               ? u"Tabulka hesel Uziv.DB byla poškozená a byla nahrazena prázdnou tabulkou. "
                 u"Hesla Qesto je třeba zadat znovu."_s
               : u"Seznam Qesto Data.DB byl poškozený a byl nahrazen prázdným seznamem."_s;
}

// "Uziv.DB" aside is "Uziv.poskozena.DB"; when that is taken,
// "Uziv.poskozena2.DB" and so on.
QString asideName(const QString &name, int attempt)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString tag = attempt == 1 ? u".poskozena"_s : u".poskozena"_s + QString::number(attempt);
    return name.left(dot) + tag + name.mid(dot);
}

struct Move
{
    QString from;
    QString to;
};

void undo(const QList<Move> &moves, const paradox::FileLayer &files)
{
    QString ignored;
    for (auto it = moves.crbegin(); it != moves.crend(); ++it)
        files.rename(it->to, it->from, ignored);
}

// Moves the group's existing files to the first free set of names beside
// them; all of them or, with the reason in error, none.
QList<Move> moveAside(const QString &fileDir, ListGroup group, const paradox::FileLayer &files,
                      QString &error)
{
    QStringList present;
    for (const QString &name : listFileNames(group)) {
        if (platform::FileOps::fileExists(tableFilePath(fileDir, name)))
            present.append(name);
    }
    int attempt = 1;
    const auto taken = [&](int n) {
        return std::any_of(present.cbegin(), present.cend(), [&](const QString &name) {
            return platform::FileOps::fileExists(tableFilePath(fileDir, asideName(name, n)));
        });
    };
    while (taken(attempt))
        ++attempt;
    QList<Move> moves;
    for (const QString &name : std::as_const(present)) {
        Move move{tableFilePath(fileDir, name), tableFilePath(fileDir, asideName(name, attempt))};
        if (!files.rename(move.from, move.to, error)) {
            error = u"Soubor %1 nelze přejmenovat: %2"_s.arg(QDir::toNativeSeparators(move.from), error);
            undo(moves, files);
            return {};
        }
        moves.append(move);
    }
    return moves;
}

} // namespace

ListTableRepair repairListTable(const QString &fileDir, ListGroup group, const paradox::TableError &error,
                                const paradox::OpenOptions &options)
{
    const QString table = tableFilePath(fileDir, listFileNames(group).first());
    const QString templates = platform::FileOps::withTrailingSeparator(fileDir) + u"Data"_s;
    const bool missing = !platform::FileOps::fileExists(table);
    ListTableRepair repair;
    if (!missing && error.kind() != paradox::TableError::Kind::Damaged) {
        repair.message = cannotOpenText(group) + u'\n' + error.message();
        return repair;
    }

    const paradox::FileLayer &files = options.files ? *options.files : paradox::FileLayer::disk();
    QString failure;
    QList<Move> moves;
    if (!missing) {
        moves = moveAside(fileDir, group, files, failure);
        if (moves.isEmpty()) {
            repair.message = cannotOpenText(group) + u'\n' + error.message() + u'\n' + failure;
            return repair;
        }
    }
    try {
        KopSezn1(templates, fileDir, group);
    } catch (const platform::Error &e) {
        failure = e.message();
    }
    if (!failure.isEmpty() || !platform::FileOps::fileExists(table)) {
        // Without a template in its place the damaged table is still better
        // where the user and the other computers look for it.
        undo(moves, files);
        repair.message = cannotOpenText(group) + u'\n' + error.message();
        if (!failure.isEmpty())
            repair.message += u'\n' + failure;
        return repair;
    }
    repair.replaced = true;
    if (!moves.isEmpty()) {
        QStringList aside;
        for (const Move &move : std::as_const(moves))
            aside.append(QDir::toNativeSeparators(move.to));
        repair.message =
            replacedText(group) + u"\nPoškozené soubory byly uloženy jako:\n"_s + aside.join(u'\n');
    }
    return repair;
}

namespace {

// Rewrites an old list (without Pozice) in the current format, every entry
// keeping its number, name and directory and taking its number as position.
// The new list is built beside the old one from a copy of the template and
// replaces it in one step, so a failure leaves the old list as it was.
void convertOldList(const QString &fileDir, const QString &listPath, const paradox::OpenOptions &options)
{
    QList<QVariantList> entries;
    {
        auto old = paradox::Table::open(listPath, options);
        const int cislo = old->fieldIndex(u"Cislo"_s);
        const int nazev = old->fieldIndex(u"Nazev"_s);
        const int adresar = old->fieldIndex(u"Adresar"_s);
        if (cislo < 0 || nazev < 0 || adresar < 0) {
            throw paradox::TableError(
                paradox::TableError::Kind::Damaged,
                u"Seznam %1 nemá pole Cislo, Nazev a Adresar."_s.arg(QDir::toNativeSeparators(listPath)));
        }
        for (int row = 0; row < old->recordCount(); ++row) {
            const QVariantList r = old->record(row);
            entries.append({r.at(cislo), r.at(cislo), r.at(nazev), r.at(adresar)});
        }
    }
    QTemporaryDir scratch(platform::FileOps::resolve(platform::FileOps::withTrailingSeparator(fileDir)) +
                          u".qesto-XXXXXX"_s);
    if (!scratch.isValid()) {
        throw paradox::TableError(
            paradox::TableError::Kind::Unreadable,
            u"Do adresáře %1 nelze zapisovat."_s.arg(QDir::toNativeSeparators(fileDir)));
    }
    const QString name = tableDef(TableId::Data).fileName();
    const QString fresh = QDir(scratch.path()).filePath(name);
    const QString templatePath =
        tableFilePath(platform::FileOps::withTrailingSeparator(fileDir) + u"Data"_s, name);
    paradox::Table::copyTable(templatePath, fresh);
    {
        paradox::OpenOptions exclusive = options;
        exclusive.mode = paradox::OpenMode::Exclusive;
        auto list = paradox::Table::open(fresh, exclusive);
        list->empty();
        for (const QVariantList &entry : std::as_const(entries))
            list->append(entry);
        paradox::SecondaryIndex::rebuildAll(*list);
    }
    paradox::Table::copyTable(fresh, listPath);
}

// Lists of older versions may lack the index that the ordering by name uses.
bool ensureNameIndex(const QString &fileDir, const QString &listPath, const paradox::OpenOptions &options,
                     QStringList &errors)
{
    const ListIndex &byName = listIndexes().at(1);
    if (platform::FileOps::fileExists(tableFilePath(fileDir, byName.xFile)) ||
        platform::FileOps::fileExists(tableFilePath(fileDir, byName.yFile)))
        return false;
    if (!platform::FileOps::fileExists(listPath))
        return false;
    try {
        paradox::OpenOptions exclusive = options;
        exclusive.mode = paradox::OpenMode::Exclusive;
        auto list = paradox::Table::open(listPath, exclusive);
        const int field = list->fieldIndex(byName.field);
        if (field < 0)
            return false;
        paradox::SecondaryIndex::build(*list, field);
        return true;
    } catch (const paradox::TableError &e) {
        errors.append(e.message());
    }
    return false;
}

} // namespace

ListUpgradeResult PrevodSeznF1(const QString &fileDir, const paradox::OpenOptions &options)
{
    ListUpgradeResult result;
    const QString templates = platform::FileOps::withTrailingSeparator(fileDir) + u"Data"_s;
    const QString listPath = tableFilePath(fileDir, tableDef(TableId::Data).fileName());
    try {
        bool current = false;
        {
            auto list = paradox::Table::open(listPath, options);
            current = list->fieldIndex(u"Pozice"_s) >= 0;
        }
        if (!current) {
            convertOldList(fileDir, listPath, options);
            result.converted = true;
        }
    } catch (const paradox::TableError &e) {
        result.errors.append(e.message());
    }

    result.nameIndexAdded = ensureNameIndex(fileDir, listPath, options, result.errors);

    const QString passwords = tableFilePath(fileDir, tableDef(TableId::Uziv).fileName());
    try {
        paradox::Table::open(passwords, options);
    } catch (const paradox::TableError &e) {
        result.passwords = repairListTable(fileDir, ListGroup::Passwords, e, options);
        if (!result.passwords.replaced && !result.passwords.message.isEmpty())
            result.errors.append(result.passwords.message);
    }
    return result;
}

} // namespace data
