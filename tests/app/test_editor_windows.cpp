// The editors as the main window opens them: the company data from its menu
// item with the caption renewed afterwards, the statement windows through
// Dpp1, and the chain that leads from one statement window to the next
// without nesting them.

#include "MainWindowFixture.h"
#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "app/EditorWindows.h"
#include "app/TMainForm.h"
#include "company/TEprpForm.h"
#include "data/Dataset.h"
#include "data/TDM1.h"
#include "data/Templates.h"
#include "platform/FileOps.h"
#include "platform/Printers.h"
#include "registry/SettlementList.h"
#include "settlement/AppPaths.h"
#include "settlement/SettlementOpening.h"
#include "statements/TEpzForm.h"
#include "widgets/Editz.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using app::Command;

namespace {

// The main window over the open settlement "D1" with the editors attached
// as the program attaches them.
class Fixture : public apptest::MainWindowFixture
{
public:
    Fixture()
    {
        app::attachEditors(main, dm, messages, [this] {
            return widgets::SettlementIni{platform::FileOps::resolve(opening.iniFile()),
                                          opening.directoryName()};
        });
        main.VyberDanoveho();
    }
};

// Runs `action` on each modal window as it appears, until it returns false.
// The timer belongs to the caller's scope, so a window that never comes
// cannot reach a later test.
class ModalWalker
{
public:
    using Action = std::function<bool(QWidget *)>;

    explicit ModalWalker(Action action) : m_action(std::move(action))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == m_last || !modal->isVisible())
                return;
            m_last = modal;
            const bool more = m_action(modal);
            if (!more || QTest::currentTestFailed())
                m_timer.stop();
        });
        m_timer.start();
    }

private:
    Action m_action;
    QTimer m_timer;
    QPointer<QWidget> m_last;
};

} // namespace

class TestEditorWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void companyDataRenewsTheCaption()
    {
        Fixture f;
        QCOMPARE(f.main.windowTitle(), u"Qesto 14.10"_s);
        QVERIFY(f.main.action(Command::UdajeOFirme)->isEnabled());
        bool shown = false;
        bool editing = false;
        ModalWalker walker([&](QWidget *w) {
            auto *form = qobject_cast<company::TEprpForm *>(w);
            if (!form)
                return false;
            shown = true;
            editing = f.dm.Prp().isEditing();
            form->edit(u"Ojv"_s)->setFocus();
            QTest::keyClicks(form->edit(u"Ojv"_s), u"Stavby Novak s.r.o."_s);
            form->okButton()->click();
            return false;
        });
        f.main.action(Command::UdajeOFirme)->trigger();
        QVERIFY(shown);
        QVERIFY(editing); // opened with the record in edit mode
        QCOMPARE(f.main.windowTitle(), u"Qesto 14.10 - Stavby Novak s.r.o."_s);
        QCOMPARE(f.dm.field(u"PrpOjv"_s)->asString(), u"Stavby Novak s.r.o."_s);
        QCOMPARE(f.dm.Prp().state(), data::DatasetState::Browse);
    }

    void chainRunsForwardAndBack()
    {
        Fixture f;
        const QString vdvl = u"Vyúčtování daně z příjmů ze závislé činnosti"_s;
        const QString vpz = u"Počet zaměstnanců"_s;
        const QString vpkv = u"Příloha k vyúčtování - opravy"_s;
        const QString vpkb = u"Příloha k vyúčtování - opravy bonusu"_s;
        const QString vdvs = u"Vyúčtování daně vybírané srážkou"_s;
        // Forward to the withholding statement, then back to the start.
        const QStringList expected = {vdvl, vpz, vpkv, vpkb, vdvs, vpkb, vpkv, vpz, vdvl};
        QStringList titles;
        QPointer<QWidget> previous;
        bool nested = false;
        ModalWalker walker([&](QWidget *w) {
            // Each window is gone before its neighbour shows.
            nested = nested || previous || f.main.dispatch().isShowing(statements::StatementKind::Print);
            previous = w;
            titles.append(w->windowTitle());
            const qsizetype step = titles.size();
            if (step == expected.size()) {
                w->close();
                return false;
            }
            const QString caption = step < 5 ? u">>"_s : u"<<"_s;
            for (QPushButton *b : w->findChildren<QPushButton *>()) {
                if (b->text() == caption) {
                    b->click();
                    return true;
                }
            }
            w->close();
            return false;
        });
        f.main.Dpp1(statements::StatementKind::Employment);
        QCOMPARE(titles, expected);
        QVERIFY(!nested);
        QVERIFY(!previous);
        for (int kind = 1; kind <= 6; ++kind)
            QVERIFY(!f.main.dispatch().isShowing(statements::StatementKind(kind)));
    }

    void employeeCountStartsOnTheFirstPlace()
    {
        Fixture f;
        data::Dataset &vpz = f.dm.Vpz();
        for (const QString &name : {u"Dílna"_s, u"Sklad"_s}) {
            vpz.append();
            f.dm.field(u"VpzN3"_s)->setAsString(name);
            vpz.post();
        }
        QCOMPARE(vpz.recNo(), 2);
        int recNo = 0;
        QString title;
        ModalWalker walker([&](QWidget *w) {
            if (auto *form = qobject_cast<statements::TEpzForm *>(w)) {
                recNo = vpz.recNo();
                title = form->windowTitle();
                form->closeButton()->click();
            }
            return false;
        });
        f.main.action(Command::PocetZamestnancu)->trigger();
        QCOMPARE(recNo, 1);
        QCOMPARE(title, u"Počet zaměstnanců"_s);
        QVERIFY(!f.main.dispatch().isShowing(statements::StatementKind::EmployeeCount));
    }
};

QTEST_MAIN(TestEditorWindows)
#include "test_editor_windows.moc"
