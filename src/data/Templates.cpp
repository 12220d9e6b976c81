#include "data/Templates.h"

#include "data/ListFiles.h"
#include "paradox/Table.h"
#include "platform/FileOps.h"

#include "paradox/SecondaryIndex.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace data {

namespace {

QString templateDirOf(const QString &root)
{
    return platform::FileOps::withTrailingSeparator(root) + u"Data"_s;
}

QString nativeDir(const QString &dir)
{
    return QDir::toNativeSeparators(platform::FileOps::nativePath(dir));
}

// A directory next to the target, so the final move stays on one file system.
QTemporaryDir scratchDirIn(const QString &dir)
{
    QTemporaryDir scratch(platform::FileOps::resolve(platform::FileOps::withTrailingSeparator(dir)) +
                          u".qesto-XXXXXX"_s);
    if (!scratch.isValid()) {
        throw paradox::TableError(paradox::TableError::Kind::Unreadable,
                                  u"Do adresáře %1 nelze zapisovat."_s.arg(nativeDir(dir)));
    }
    return scratch;
}

void writeEmpty(TableId id, const QString &scratch, const QString &dir)
{
    const TableDef &def = tableDef(id);
    const QString source = QDir(scratch).filePath(def.fileName());
    {
        auto table = paradox::Table::create(source, def.schema());
        if (id == TableId::Data) {
            for (const ListIndex &index : listIndexes())
                paradox::SecondaryIndex::build(*table, table->fieldIndex(index.field));
        }
    }
    paradox::Table::copyTable(source, tableFilePath(dir, def.fileName()));
}

} // namespace

void createEmptyTable(TableId id, const QString &dir)
{
    QTemporaryDir scratch = scratchDirIn(dir);
    writeEmpty(id, scratch.path(), dir);
}

void createSettlementTemplates(const QString &dir)
{
    QTemporaryDir scratch = scratchDirIn(dir);
    for (TableId id : SettlementTables)
        writeEmpty(id, scratch.path(), dir);
}

void createListTemplates(const QString &dir)
{
    QTemporaryDir scratch = scratchDirIn(dir);
    writeEmpty(TableId::Data, scratch.path(), dir);
    writeEmpty(TableId::Uziv, scratch.path(), dir);
}

bool isDataRoot(const QString &dir)
{
    return platform::FileOps::fileExists(tableFilePath(dir, tableDef(TableId::Data).fileName()));
}

QString refreshTemplates(const QString &root)
{
    const QString templates = templateDirOf(root);
    if (!platform::FileOps::forceDirectories(templates))
        return u"Adresář %1 nelze vytvořit."_s.arg(nativeDir(templates));
    try {
        createSettlementTemplates(templates);
        createListTemplates(templates);
    } catch (const paradox::TableError &e) {
        return e.message();
    }
    try {
        platform::IniFile(tableFilePath(templates, u"Verze.ini"_s))
            .writeInteger(u"Verze", u"Data", DataVersion);
    } catch (const platform::Error &e) {
        return e.message();
    }
    return QString();
}

QString createDataRoot(const QString &root, DataWork work)
{
    if (isDataRoot(root))
        return u"V adresáři %1 už data programu jsou."_s.arg(nativeDir(root));
    if (!platform::FileOps::forceDirectories(root))
        return u"Adresář %1 nelze vytvořit."_s.arg(nativeDir(root));
    if (QString error = refreshTemplates(root); !error.isEmpty())
        return error;

    // The empty list of the root is a copy of the template list; the list
    // goes last, so that a data root counts as made only once it is complete.
    try {
        KopSezn1(templateDirOf(root), root, ListGroup::Passwords);

        // Local data: the first start opens the settlement list instead of
        // asking where the data live.
        platform::IniFile settings(tableFilePath(root, u"Qesto.ini"_s));
        if (work == DataWork::Local && !settings.valueExists(u"Qesto", u"Net"))
            settings.writeString(u"Qesto", u"Net", u"0");
        if (!settings.valueExists(u"Qesto", u"Razeni"))
            settings.writeInteger(u"Qesto", u"Razeni", 1);

        KopSezn1(templateDirOf(root), root, ListGroup::List);
    } catch (const platform::Error &e) {
        return e.message();
    }
    return QString();
}

} // namespace data
