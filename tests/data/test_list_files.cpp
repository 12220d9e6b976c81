// The list and password files of a data root: an old list brought to the
// current format, and what becomes of a password table that cannot be
// opened (replaced only when missing or damaged, damaged files kept aside).

#include "FaultyFiles.h"
#include "FileContents.h"
#include "data/ListFiles.h"
#include "data/TableDefs.h"
#include "data/Templates.h"
#include "paradox/Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace data;

namespace {

// A data root whose password table protects settlement 1 with "Abc".
class Root
{
public:
    Root()
    {
        if (!createDataRoot(m_dir.path()).isEmpty())
            qFatal("no data root");
        auto passwords = paradox::Table::open(file(u"Uziv.DB"_s));
        passwords->append({1, u"Abc"_s});
    }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

    // The first bytes overwritten: the engine refuses the table as damaged.
    QByteArray damage(const QString &name)
    {
        QFile f(file(name));
        if (!f.open(QIODevice::ReadWrite))
            qFatal("cannot damage");
        f.write(QByteArray(64, '\xff'));
        f.seek(0);
        return f.readAll();
    }

    paradox::TableError openError(const QString &name, const paradox::OpenOptions &options = {}) const
    {
        try {
            paradox::Table::open(file(name), options);
        } catch (const paradox::TableError &e) {
            return e;
        }
        qFatal("the table opened");
    }

    QString storedPassword() const
    {
        auto passwords = paradox::Table::open(file(u"Uziv.DB"_s));
        const int row = passwords->findKey({1});
        return row < 0 ? QString() : passwords->value(row, 1).toString();
    }

private:
    QTemporaryDir m_dir;
};

using testsupport::fileContents;

} // namespace

class TestListFiles : public QObject
{
    Q_OBJECT

private slots:
    void oldListIsConverted()
    {
        QTemporaryDir root;
        QVERIFY(createDataRoot(root.path()).isEmpty());
        const QString list = QDir(root.path()).filePath(u"Data.DB"_s);
        paradox::Table::removeTable(list);
        {
            auto old = paradox::Table::create(list, oldListSchema());
            old->append({1, u"Alfa"_s, u"D1"_s});
            old->append({2, u"Beta"_s, u"D2"_s});
            old->append({4, u"Gama"_s, u"D4"_s});
        }
        QFile::remove(QDir(root.path()).filePath(u"Uziv.DB"_s));

        const ListUpgradeResult result = PrevodSeznF1(root.path());
        QVERIFY2(result.errors.isEmpty(), qPrintable(result.errors.join(u'\n')));
        QVERIFY(result.converted);
        // A missing password table is replaced without a word.
        QVERIFY(result.passwords.replaced);
        QVERIFY(result.passwords.message.isEmpty());
        auto converted = paradox::Table::open(list);
        QCOMPARE(converted->schema(), tableDef(TableId::Data).schema());
        QCOMPARE(converted->recordCount(), 3);
        QCOMPARE(converted->record(2), (QVariantList{4, 4, u"Gama"_s, u"D4"_s}));
        QCOMPARE(paradox::Table::open(QDir(root.path()).filePath(u"Data/Data.DB"_s))->recordCount(), 0);
        QVERIFY(QFile::exists(QDir(root.path()).filePath(u"Uziv.DB"_s)));

        const ListUpgradeResult again = PrevodSeznF1(root.path());
        QVERIFY(!again.converted && !again.passwords.replaced);
    }

    void damagedPasswordsAreMovedAsideNotDeleted()
    {
        Root root;
        const QByteArray damaged = root.damage(u"Uziv.DB"_s);
        const QByteArray index = fileContents(root.file(u"Uziv.PX"_s));
        QCOMPARE(root.openError(u"Uziv.DB"_s).kind(), paradox::TableError::Kind::Damaged);

        const ListUpgradeResult result = PrevodSeznF1(root.path());
        QVERIFY(result.passwords.replaced);
        QVERIFY(result.errors.isEmpty());
        QCOMPARE(fileContents(root.file(u"Uziv.poskozena.DB"_s)), damaged);
        QCOMPARE(fileContents(root.file(u"Uziv.poskozena.PX"_s)), index);
        QCOMPARE(paradox::Table::open(root.file(u"Uziv.DB"_s))->recordCount(), 0);
        const QString message = result.passwords.message;
        QVERIFY2(message.startsWith(u"Tabulka hesel Uziv.DB byla poškozená"_s), qPrintable(message));
        QVERIFY(message.contains(QDir::toNativeSeparators(root.file(u"Uziv.poskozena.DB"_s))));
        QVERIFY(message.contains(QDir::toNativeSeparators(root.file(u"Uziv.poskozena.PX"_s))));

        // A second damaged table does not take the place of the first.
        root.damage(u"Uziv.DB"_s);
        QVERIFY(PrevodSeznF1(root.path()).passwords.replaced);
        QCOMPARE(fileContents(root.file(u"Uziv.poskozena.DB"_s)), damaged);
        QVERIFY(QFile::exists(root.file(u"Uziv.poskozena2.DB"_s)));
        QVERIFY(QFile::exists(root.file(u"Uziv.poskozena2.PX"_s)));
    }

    void passwordsThatCannotBeReadNowAreKept()
    {
        Root root;
        auto faulty = std::make_shared<paradox::FaultyFiles>();
        paradox::OpenOptions options;
        options.files = faulty;
        faulty->fail(paradox::FaultyFiles::Read, u"Uziv.DB"_s);

        const ListUpgradeResult result = PrevodSeznF1(root.path(), options);
        QCOMPARE(faulty->failures(), 1);
        QVERIFY(!result.passwords.replaced);
        const QStringList lines = result.passwords.message.split(u'\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.first(), u"Tabulku hesel Uziv.DB nelze otevřít."_s);
        QVERIFY2(lines.last().contains(u"Přístup odepřen (zkouška)"_s), qPrintable(lines.last()));
        QCOMPARE(result.errors, QStringList{result.passwords.message});
        QCOMPARE(root.storedPassword(), u"Abc"_s);
        QVERIFY(!QFile::exists(root.file(u"Uziv.poskozena.DB"_s)));
    }

    void damagedPasswordsStayWhenTheyCannotBeMoved()
    {
        Root root;
        const QByteArray damaged = root.damage(u"Uziv.DB"_s);
        auto faulty = std::make_shared<paradox::FaultyFiles>();
        paradox::OpenOptions options;
        options.files = faulty;
        // The index file gives way, the table does not: both stay in place.
        faulty->fail(paradox::FaultyFiles::Rename, u"Uziv.PX"_s);

        const ListTableRepair repair =
            repairListTable(root.path(), ListGroup::Passwords, root.openError(u"Uziv.DB"_s), options);
        QVERIFY(!repair.replaced);
        QVERIFY(repair.message.startsWith(u"Tabulku hesel Uziv.DB nelze otevřít.\n"_s));
        QVERIFY(repair.message.contains(u"Síťová cesta není dostupná (zkouška)"_s));
        QCOMPARE(fileContents(root.file(u"Uziv.DB"_s)), damaged);
        QVERIFY(QFile::exists(root.file(u"Uziv.PX"_s)));
        QVERIFY(!QFile::exists(root.file(u"Uziv.poskozena.DB"_s)));
    }
};

QTEST_GUILESS_MAIN(TestListFiles)
#include "test_list_files.moc"
