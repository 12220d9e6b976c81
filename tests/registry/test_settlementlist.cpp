// The settlement list on a real data root: numbering, orderings, the open
// tests, deletion, passwords, positions and the choice of the data root.

#include "FaultyFiles.h"
#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "data/TableDefs.h"
#include "data/Templates.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/Table.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "registry/NetworkChoice.h"
#include "registry/Positions.h"
#include "registry/SettlementList.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace registry;
using namespace registry::test;
using platform::IMessages;
using platform::ScriptedMessages;

namespace {

class FixedPrompt : public IPasswordPrompt
{
public:
    explicit FixedPrompt(QString text = {}) : m_text(std::move(text)) {}
    QString askPassword() override
    {
        ++asked;
        return m_text;
    }
    int asked = 0;

private:
    QString m_text;
};

// Settlement 1 protected by "Abc", its list reading its files through a
// layer that can be made to fail.
struct Protected
{
    Root root;
    ScriptedMessages messages;
    std::shared_ptr<paradox::FaultyFiles> faulty = std::make_shared<paradox::FaultyFiles>();
    SettlementList list{root.roots(), messages};

    Protected()
    {
        root.addSettlement(1, u"Tajná"_s);
        paradox::OpenOptions options;
        options.files = faulty;
        list.setOpenOptions(options);
        list.attach();
        if (!list.setPassword(1, u"Abc"_s))
            qFatal("no password stored");
    }
};

} // namespace

class TestSettlementList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freeNumber_data()
    {
        QTest::addColumn<QList<int>>("existing");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty") << QList<int>{} << 1;
        QTest::newRow("gap") << QList<int>{1, 2, 4} << 3;
        QTest::newRow("full") << QList<int>{1, 2, 3} << 4;
        QTest::newRow("first free") << QList<int>{2, 3} << 1;
        QTest::newRow("zero taken") << QList<int>{0, 1, 2} << 4;
    }
    void freeNumber()
    {
        QFETCH(QList<int>, existing);
        QFETCH(int, expected);
        QCOMPARE(SettlementList::freeNumber(existing), expected);
    }

    void createTakesGapAndCopiesTemplates()
    {
        Root root;
        root.addSettlement(1, u"Alfa"_s);
        root.addSettlement(2, u"Beta"_s);
        root.addSettlement(4, u"Delta"_s);
        ScriptedMessages messages;
        SettlementList list(root.roots(), messages);
        list.attach();

        const NewSettlement draft = list.prepareNew();
        QCOMPARE(draft.Cislo, 3);
        QCOMPARE(draft.Adresar, u"D3"_s);
        QCOMPARE(draft.Pozice, 3);
        QVERIFY(list.create(draft, u"Gama s.r.o. se jménem delším než dvacet"_s));
        QCOMPARE(list.current()->Cislo, 3);
        QCOMPARE(list.current()->Nazev, u"Gama s.r.o. se jméne"_s);
        for (const QString &f : data::settlementFileNames())
            QVERIFY2(platform::FileOps::fileExists(root.fileDir + u"D3/"_s + f), qPrintable(f));
        QVERIFY(messages.shown().isEmpty());

        // The entry is in the file, not only in memory.
        SettlementList again(root.roots(), messages);
        again.attach();
        QCOMPARE(numbers(again), (QList<int>{1, 2, 3, 4}));
    }

    void createInOwnOrderSitsBesideSelected()
    {
        Root root;
        root.addSettlement(1, u"A"_s, 3);
        root.addSettlement(2, u"B"_s, 1);
        root.addSettlement(3, u"C"_s, 2);
        ScriptedMessages messages;
        SettlementList list(root.roots(), messages);
        list.attach();
        list.setRazeni(Razeni::Vlastni);
        QCOMPARE(numbers(list), (QList<int>{2, 3, 1}));
        QVERIFY(list.selectNumber(3)); // Pozice 2

        const NewSettlement draft = list.prepareNew();
        QCOMPARE(list.razeni(), Razeni::Automaticky);
        QCOMPARE(draft.Cislo, 4);
        QCOMPARE(draft.Pozice, 2);
        QVERIFY(list.create(draft, u"Nová"_s));
        QCOMPARE(list.razeni(), Razeni::Vlastni);
        QCOMPARE(numbers(list), (QList<int>{2, 3, 4, 1}));
        QVERIFY(list.rename(u"Áčko"_s));

        // The index files other computers order by follow every change.
        list.close();
        auto table = paradox::Table::open(data::tableFilePath(root.fileDir, u"Data.DB"_s));
        for (const QString &field : {u"Pozice"_s, u"Nazev"_s}) {
            const int f = table->fieldIndex(field);
            QVERIFY2(platform::FileOps::fileExists(paradox::SecondaryIndex::xPath(table->filePath(), f)),
                     qPrintable(field));
            QCOMPARE(paradox::SecondaryIndex::readOrder(*table, f),
                     paradox::SecondaryIndex::computeOrder(*table, f));
        }
    }

    void cancelledNewLeavesNothing()
    {
        Root root;
        root.addSettlement(1, u"A"_s);
        ScriptedMessages messages;
        SettlementList list(root.roots(), messages);
        list.attach();
        list.setRazeni(Razeni::PodleNazvu);
        const NewSettlement draft = list.prepareNew();
        list.cancelNew(draft);
        QCOMPARE(list.razeni(), Razeni::PodleNazvu);
        list.reopen();
        QCOMPARE(numbers(list), QList<int>{1});
        QVERIFY(!platform::FileOps::dirExists(root.fileDir + u"D2"_s));
    }

    void createWithoutTemplatesTakesEverythingBack()
    {
        Root root;
        QFile::remove(root.fileDir + u"Data/Vpkb.DB"_s);
        ScriptedMessages messages;
        SettlementList list(root.roots(), messages);
        list.attach();
        QVERIFY(!list.create(list.prepareNew(), u"X"_s));
        QCOMPARE(messages.texts(IMessages::Kind::Error).size(), 1);
        QVERIFY(list.isEmpty());
        QVERIFY(!platform::FileOps::dirExists(root.fileDir + u"D1"_s));
    }

    void orderingsAndPreselection()
    {
        Root root;
        root.addEntries({{1, 5, u"Hrad"_s, u"D1"_s},
                         {2, 4, u"Čech"_s, u"D2"_s},
                         {3, 3, u"Chata"_s, u"D3"_s},
                         {4, 2, u"Cihla"_s, u"D4"_s},
                         {5, 1, u"Ivo"_s, u"D5"_s}});
        ScriptedMessages messages;
        SettlementList list(root.roots(), messages);
        list.attach();
        QCOMPARE(numbers(list), (QList<int>{1, 2, 3, 4, 5}));
        list.setRazeni(Razeni::PodleNazvu);
        // Czech order: c before č, ch after h.
        QCOMPARE(numbers(list), (QList<int>{4, 2, 1, 3, 5}));
        list.setRazeni(Razeni::Vlastni);
        QCOMPARE(numbers(list), (QList<int>{5, 4, 3, 2, 1}));
        QCOMPARE(platform::IniFile(root.fileDir + u"Qesto.ini"_s).readInteger(u"Qesto", u"Razeni", -1), 0);

        // The stored ordering and the last selected number come back.
        list.selectNumber(3);
        list.finishShow();
        SettlementList next(root.roots(), messages);
        next.attach();
        next.prepareShow();
        QCOMPARE(next.razeni(), Razeni::Vlastni);
        QCOMPARE(next.current()->Cislo, 3);

        // Without "Zobrazovat" the list opens on its first entry.
        next.setShowLast(false);
        next.finishShow();
        SettlementList third(root.roots(), messages);
        third.attach();
        third.prepareShow();
        QVERIFY(!third.showLast());
        QCOMPARE(third.current()->Cislo, 5);
    }

    void renameAndClearOwnOrder()
    {
        Root root;
        root.addEntries({{1, 2, u"A"_s, u"D1"_s}, {2, 1, u"B"_s, u"D2"_s}});
        ScriptedMessages messages({IMessages::Answer::No, IMessages::Answer::Yes});
        SettlementList list(root.roots(), messages);
        list.attach();
        list.selectNumber(2);
        QVERIFY(list.rename(u"Bílá"_s));
        QVERIFY(!list.clearOwnOrder());
        QVERIFY(list.clearOwnOrder());
        list.reopen();
        QCOMPARE(list.current()->Nazev, u"Bílá"_s);
        list.setRazeni(Razeni::Vlastni);
        QCOMPARE(numbers(list), (QList<int>{1, 2}));
        QCOMPARE(list.current()->Cislo, 2);
    }

    void deleteAsksTwice()
    {
        Root root;
        root.addSettlement(1, u"Firma"_s);
        root.addSettlement(2, u"Druhá"_s);
        ScriptedMessages messages({IMessages::Answer::Yes, IMessages::Answer::No});
        SettlementList list(root.roots(), messages);
        list.attach();
        FixedPrompt prompt;
        QVERIFY(!list.removeCurrent(prompt));
        QCOMPARE(messages.texts(IMessages::Kind::Confirmation),
                 QStringList(2, u"Opravdu smazat Qesto Firma ?"_s));
        QCOMPARE(numbers(list), (QList<int>{1, 2}));
        QVERIFY(platform::FileOps::fileExists(root.fileDir + u"D1/Vdvl.DB"_s));

        // A file of the user's own keeps the directory; the settlement goes.
        QFile extra(root.fileDir + u"D1/poznamky.txt"_s);
        QVERIFY(extra.open(QIODevice::WriteOnly));
        extra.close();
        QFile ini(root.fileDir + u"D1/D1.ini"_s);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.close();
        QVERIFY(list.setPassword(1, u"x"_s));
        messages.addAnswer(IMessages::Answer::Yes);
        messages.addAnswer(IMessages::Answer::Yes);
        FixedPrompt right(u"x"_s);
        QVERIFY(list.removeCurrent(right));
        QCOMPARE(numbers(list), QList<int>{2});
        QCOMPARE(list.current()->Cislo, 2);
        QVERIFY(list.password(1).isEmpty());
        QCOMPARE(QDir(root.fileDir + u"D1"_s).entryList(QDir::Files), QStringList{u"poznamky.txt"_s});

        messages.addAnswer(IMessages::Answer::Yes);
        messages.addAnswer(IMessages::Answer::Yes);
        QVERIFY(list.removeCurrent(prompt));
        QVERIFY(!platform::FileOps::dirExists(root.fileDir + u"D2"_s));
        QVERIFY(!list.removeCurrent(prompt));
        QCOMPARE(messages.texts().last(), u"Není k dispozici žádné Qesto. Spusťte akci nové Qesto."_s);
    }

    void deleteNeverLeavesTheDataRoot()
    {
        Root root;
        root.addEntries({{1, 1, u"Poškozený"_s, u"..\\local"_s}});
        ScriptedMessages messages({IMessages::Answer::Yes, IMessages::Answer::Yes});
        SettlementList list(root.roots(), messages);
        list.attach();
        FixedPrompt prompt;
        QVERIFY(list.removeCurrent(prompt));
        QVERIFY(list.isEmpty());
        QVERIFY(platform::FileOps::fileExists(root.fileDir + u"Data/Vdvl.DB"_s));
        QVERIFY(platform::FileOps::fileExists(root.fileDir + u"Data.DB"_s));
    }

    void passwords()
    {
        Root root;
        root.addSettlement(1, u"Tajná"_s);
        ScriptedMessages messages({IMessages::Answer::Yes});
        SettlementList list(root.roots(), messages);
        list.attach();
        FixedPrompt none;
        QVERIFY(list.confirmOpen(none));
        QCOMPARE(none.asked, 0);

        QCOMPARE(list.addPassword(u"Abc"_s), SettlementList::PasswordChange::Done);
        FixedPrompt lower(u"abc"_s);
        QVERIFY(!list.confirmOpen(lower));
        QCOMPARE(messages.texts().last(), u"Neplatné heslo pro toto Qesto."_s);
        FixedPrompt exact(u"Abc"_s);
        QVERIFY(list.confirmOpen(exact));

        QCOMPARE(list.changePassword(u"ABC"_s, u""_s), SettlementList::PasswordChange::WrongOld);
        QCOMPARE(list.password(1), u"Abc"_s);
        messages.addAnswer(IMessages::Answer::Yes);
        QCOMPARE(list.changePassword(u"Abc"_s, u""_s), SettlementList::PasswordChange::Done);
        FixedPrompt asked;
        QVERIFY(list.confirmOpen(asked));
        QCOMPARE(asked.asked, 0);
        QCOMPARE(messages.texts(IMessages::Kind::Information),
                 (QStringList{u"Heslo bylo přidáno."_s, u"Neplatné heslo pro toto Qesto."_s,
                              u"Neplatné heslo."_s, u"Heslo bylo změněno."_s}));
    }

    void passwordsSurviveAMomentsReadError()
    {
        Protected p;
        auto &[root, messages, faulty, list] = p;

        // A network drive's hiccup while the list reopens its tables.
        faulty->fail(paradox::FaultyFiles::Read, u"Uziv.DB"_s);
        list.reopen();
        QCOMPARE(faulty->failures(), 1);
        const QStringList errors = messages.texts(IMessages::Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.first().startsWith(u"Tabulku hesel Uziv.DB nelze otevřít.\n"_s));
        QVERIFY(errors.first().contains(u"Přístup odepřen (zkouška)"_s));

        // The protection holds: the table is read again when it is needed.
        FixedPrompt wrong(u"abc"_s);
        QVERIFY(!list.confirmOpen(wrong));
        QCOMPARE(wrong.asked, 1);
        FixedPrompt right(u"Abc"_s);
        QVERIFY(list.confirmOpen(right));
        list.close();
        auto passwords = paradox::Table::open(root.fileDir + u"Uziv.DB"_s);
        QCOMPARE(passwords->recordCount(), 1);
        QVERIFY(!QFile::exists(root.fileDir + u"Uziv.poskozena.DB"_s));
    }

    void unreadablePasswordsOpenNothing()
    {
        Protected p;
        auto &[root, messages, faulty, list] = p;
        faulty->fail(paradox::FaultyFiles::Read, u"Uziv.DB"_s, 100);
        list.reopen();

        // No answer from the table is not "no password".
        FixedPrompt prompt(u"cokoli"_s);
        QVERIFY(!list.confirmOpen(prompt));
        QCOMPARE(prompt.asked, 0);
        QVERIFY(!list.checkPassword(1, u"cokoli"_s));
        QCOMPARE(list.addPassword(u"Nové"_s), SettlementList::PasswordChange::Failed);
        for (const QString &text : messages.texts(IMessages::Kind::Error))
            QVERIFY2(text.startsWith(u"Tabulku hesel Uziv.DB nelze otevřít.\n"_s), qPrintable(text));
        // Once the table answers again, so do the passwords.
        faulty->fail(0);
        QVERIFY(list.checkPassword(1, u"Abc"_s));
    }

    void damagedPasswordsAreMovedAsideAndSaidSo()
    {
        Protected p;
        auto &[root, messages, faulty, list] = p;
        list.close();
        QFile uziv(root.fileDir + u"Uziv.DB"_s);
        QVERIFY(uziv.open(QIODevice::ReadWrite));
        uziv.write(QByteArray(64, '\xff'));
        uziv.close();

        list.reopen();
        const QStringList errors = messages.texts(IMessages::Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(u"Tabulka hesel Uziv.DB byla poškozená"_s),
                 qPrintable(errors.first()));
        const QString aside =
            QDir::toNativeSeparators(platform::FileOps::resolve(root.fileDir + u"Uziv.poskozena.DB"_s));
        QVERIFY2(errors.first().contains(aside), qPrintable(errors.first()));
        QVERIFY(QFile::exists(root.fileDir + u"Uziv.poskozena.DB"_s));
        QVERIFY(QFile::exists(root.fileDir + u"Uziv.poskozena.PX"_s));
        // The empty table stands in: the settlement opens, and can be
        // protected again.
        FixedPrompt prompt;
        QVERIFY(list.confirmOpen(prompt));
        QCOMPARE(prompt.asked, 0);
        QVERIFY(list.setPassword(1, u"Nové"_s));
        QCOMPARE(list.password(1), u"Nové"_s);
    }

    void positionsAreStored()
    {
        PositionList moves({u"1 A"_s, u"2 B"_s, u"3 C"_s}, 0);
        moves.moveUp();
        QCOMPARE(moves.selected(), 0);
        moves.moveLast();
        moves.moveDown();
        QCOMPARE(moves.lines(), (QStringList{u"2 B"_s, u"3 C"_s, u"1 A"_s}));
        moves.setSelected(1);
        moves.moveFirst();
        QCOMPARE(moves.lines(), (QStringList{u"3 C"_s, u"2 B"_s, u"1 A"_s}));
        QCOMPARE(moves.selected(), 0);

        Root root;
        root.addEntries({{1, 1, u"A"_s, u"D1"_s}, {2, 2, u"B"_s, u"D2"_s}, {3, 3, u"C"_s, u"D3"_s}});
        ScriptedMessages messages;
        SettlementList list(root.roots(), messages);
        list.attach();
        list.selectNumber(2);
        QCOMPARE(list.positionLines(), (QStringList{u"1 A"_s, u"2 B"_s, u"3 C"_s}));
        QVERIFY(list.storePositions(moves.lines()));
        QCOMPARE(list.current()->Cislo, 2);
        SettlementList again(root.roots(), messages);
        again.attach();
        again.prepareShow();
        QCOMPARE(again.razeni(), Razeni::Vlastni);
        QCOMPARE(numbers(again), (QList<int>{3, 2, 1}));
    }

    void inUseByAnotherProcess()
    {
        Root root;
        root.addSettlement(1, u"Sdílená"_s);
        ScriptedMessages messages;
        SettlementList list(root.roots(), messages);
        list.attach();

        QProcess holder;
        holder.start(QStringLiteral(LOCKHOLDER_PATH),
                     {u"hold"_s, root.fileDir + u"D1/Vvdp.DB"_s, u"shared"_s});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("ready"));

        FixedPrompt prompt;
        QVERIFY(!list.confirmOpen(prompt));
        QCOMPARE(messages.texts(), QStringList{u"Toto Qesto právě zpracovává jiný uživatel."_s});
        QVERIFY(!list.removeCurrent(prompt));
        QCOMPARE(list.count(), 1);

        holder.write("\n");
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(list.confirmOpen(prompt));
    }

    void networkChoice()
    {
        Root root;
        root.addSettlement(1, u"Místní"_s);
        ScriptedMessages messages({IMessages::Answer::Yes});
        SettlementList list(root.roots(), messages);
        list.attach();

        NetworkChoice choice(root.roots(), messages, list);
        QVERIFY(!choice.network());
        const QString share = root.dir.path() + u"/share"_s;
        QVERIFY(QDir().mkpath(share));
        QVERIFY(choice.copyData(share, u"QESTO215"_s));
        const QString target = share + u"/QESTO215/"_s;
        QCOMPARE(messages.texts(), (QStringList{u"Opravdu chcete kopírovat data na disk "_s + target,
                                                u"Data byla nakopírována na disk "_s + target}));
        QVERIFY(choice.network());
        QCOMPARE(choice.path(), target + u"Data.DB"_s);
        QVERIFY(platform::FileOps::fileExists(target + u"Data/Vpkb.DB"_s));
        QCOMPARE(platform::IniFile(target + u"Data/Verze.ini"_s).readInteger(u"Verze", u"Data", 0),
                 data::DataVersion);

        choice.apply();
        QCOMPARE(root.fileDir, target);
        QVERIFY(list.isEmpty());
        const platform::IniFile local(root.local + u"Qesto.ini"_s);
        QCOMPARE(local.readString(u"Qesto", u"Net"), u"1"_s);
        QCOMPARE(local.readString(u"Qesto", u"Path"), target);

        // An unreachable network root: its message, and the local data.
        messages.clear();
        NetworkChoice gone(root.roots(), messages, list);
        QVERIFY(gone.network());
        QCOMPARE(gone.path(), target + u"Data.DB"_s);
        gone.setPath(root.dir.path() + u"/missing/Data.DB"_s);
        gone.apply();
        QCOMPARE(messages.texts(IMessages::Kind::Error),
                 QStringList{u"Adresář "_s + root.dir.path() + u"/missing/"_s +
                             u"\nneexistuje, nebo není dostupný na síťové jednotce."_s});
        QCOMPARE(root.fileDir, root.local);
        QCOMPARE(numbers(list), QList<int>{1});

        NetworkChoice back(root.roots(), messages, list);
        back.setNetwork(false);
        back.apply();
        QCOMPARE(local.readString(u"Qesto", u"Net"), u"0"_s);
        QCOMPARE(root.fileDir, root.local);
    }

    void oldListConvertedOnAttach()
    {
        Root root;
        const QString listPath = data::tableFilePath(root.fileDir, u"Data.DB"_s);
        paradox::Table::removeTable(listPath);
        {
            auto old = paradox::Table::create(listPath, data::oldListSchema());
            old->append({7, u"Stará"_s, u"D7"_s});
            old->append({2, u"Druhá"_s, u"D2"_s});
        }
        ScriptedMessages messages;
        SettlementList list(root.roots(), messages);
        list.attach();
        list.setRazeni(Razeni::Vlastni, false);
        QCOMPARE(list.entries(),
                 (QList<Settlement>{{2, 2, u"Druhá"_s, u"D2"_s}, {7, 7, u"Stará"_s, u"D7"_s}}));
        QVERIFY(messages.shown().isEmpty());
    }

    void damagedListIsReported()
    {
        Root root;
        root.addSettlement(1, u"A"_s);
        QFile list(root.fileDir + u"Data.DB"_s);
        QVERIFY(list.open(QIODevice::ReadWrite));
        list.write(QByteArray(64, '\xff'));
        list.close();
        ScriptedMessages messages;
        SettlementList registry(root.roots(), messages);
        registry.attach();
        registry.prepareShow();
        QVERIFY(registry.isEmpty());
        QCOMPARE(messages.texts(IMessages::Kind::Error).size(), 1);
        QVERIFY(messages.texts().first().contains(u"Data.DB"_s));
        // Nothing is made on top of a list that cannot be read.
        QVERIFY(!registry.create(registry.prepareNew(), u"B"_s));
        QVERIFY(!platform::FileOps::dirExists(root.fileDir + u"D2"_s));
    }

    void rearmOnlyWithEmptyList()
    {
        Root root;
        ScriptedMessages messages;
        SettlementList list(root.roots(), messages);
        list.attach();
        QVERIFY(list.rearmConversion());
        const platform::IniFile local(root.local + u"Qesto.ini"_s);
        QCOMPARE(local.readString(u"Qesto", u"Prevod215o"), u"1"_s);
        QVERIFY(local.valueExists(u"Qesto", u"Prevod215"));
        QCOMPARE(messages.texts(), QStringList{u"Změny se projeví při novém spuštění programu."_s});
        root.addEntries({{1, 1, u"A"_s, u"D1"_s}});
        list.refresh();
        QVERIFY(!list.rearmConversion());
    }

    // Settings that cannot be written are not announced as changed.
    void rearmThatCannotBeWrittenSaysSo()
    {
        Root root;
        const QString settings = root.local + u"Qesto.ini"_s;
        QFile::remove(settings);
        QVERIFY(QDir().mkpath(settings));
        ScriptedMessages messages;
        SettlementList list(root.roots(), messages);
        list.attach();
        QVERIFY(!list.rearmConversion());
        QCOMPARE(messages.texts(IMessages::Kind::Error).size(), 1);
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY(messages.texts().first().contains(u"Qesto.ini"_s));
    }
};

QTEST_GUILESS_MAIN(TestSettlementList)
#include "test_settlementlist.moc"
