#include "data/ListFiles.h"

#include "paradox/SecondaryIndex.h"
#include "platform/FileOps.h"

#include <QDir>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace data {

bool KopSezn1(const QString &sourceDir, const QString &targetDir, ListGroup group, QString *error)
{
    const QStringList &files = listFileNames(group);
    const QString table = tableFilePath(sourceDir, files.first());
    try {
        if (platform::FileOps::fileExists(table)) {
            paradox::Table::copyTable(table, tableFilePath(targetDir, files.first()));
            return true;
        }
    } catch (const paradox::TableError &e) {
        if (error)
            *error = e.message();
        return false;
    }
    // Without its table only loose files are left to copy, one by one.
    for (const QString &name : files) {
        const QString source = tableFilePath(sourceDir, name);
        if (!platform::FileOps::fileExists(source))
            continue;
        const QString target = tableFilePath(targetDir, name);
        if (!platform::FileOps::copyFile(source, target, true)) {
            if (error)
                *error = u"Soubor %1 nelze zkopírovat do %2."_s.arg(QDir::toNativeSeparators(source),
                                                                    QDir::toNativeSeparators(target));
            return false;
        }
    }
    return true;
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
        // Only a missing or damaged table is replaced; one that another
        // computer holds or that cannot be read now keeps its passwords.
        if (!platform::FileOps::fileExists(passwords) || e.kind() == paradox::TableError::Kind::Damaged) {
            QString error;
            if (KopSezn1(templates, fileDir, ListGroup::Passwords, &error))
                result.passwordsReplaced = true;
            else
                result.errors.append(error);
        } else {
            result.errors.append(e.message());
        }
    }
    return result;
}

} // namespace data
