// Leaving a box of the statement windows, every way a person does it, with
// real keys and mouse clicks: the typed text is written and the box's rule
// runs exactly once, and what the window posts is what qesto-cli set makes
// of the same values. Also: only what the user typed counts as a change, not
// a value the post or a re-read put into the box.

#include "CliCommands.h"
#include "EditorFixture.h"
#include "EditorSequence.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "statements/FormPages.h"
#include "statements/TEdvl1Form.h"
#include "statements/TEdvpaForm.h"
#include "widgets/DbNavigator.h"
#include "widgets/Editz.h"

#include <QPushButton>
#include <QTabBar>
#include <QToolButton>

using namespace Qt::StringLiterals;
using platform::IMessages;
using statements::StatementEditor;
using statements::StatementKind;
using widgets::TDBEditz;

namespace {

enum class Way
{
    Tab,
    Enter,
    ShiftTab,
    ClickBox,
    ClickTab,
    CtrlTab,
    CtrlShiftTab,
    CtrlPage,
    F9,
    NavigatorPost,
    Deactivate,
    PageDownYes,
    ForwardYes,
    EscapeYes,
    CloseButtonYes,
    CloseBoxYes
};

QWidget *focused()
{
    return QApplication::focusWidget();
}

} // namespace

class TestEditorExits : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<editortest::Settlement> s;
    std::unique_ptr<editortest::Settlement> reference;
    std::unique_ptr<StatementEditor> form;
    QStringList ruleRuns;

    StatementEditor *open(StatementKind kind)
    {
        form.reset(editortest::newEditor(kind, *s));
        // Every run of a box's rule is counted on its way to the calculation.
        statements::FormPages *pages = form->pages();
        pages->setExitRule([this, rule = pages->exitRule()](const QString &field) {
            ruleRuns.append(field);
            rule(field);
        });
        [&] { QVERIFY(editortest::showActive(form.get())); }();
        return form.get();
    }

    TDBEditz *box(const QString &field) const { return form->box(field); }

    // The table after `assignments` went through qesto-cli set on a settlement
    // emptied as the window's was.
    QByteArray cliRecord(const QString &table, const QList<QStringList> &batches)
    {
        if (!reference)
            reference = std::make_unique<editortest::Settlement>();
        return editortest::cliSetDump(*reference, table, batches);
    }

    QByteArray windowRecord(const QString &table)
    {
        form.reset();
        return editortest::dumpTable(*s, table);
    }

private Q_SLOTS:
    void init()
    {
        editortest::freshStatements(s);
        ruleRuns.clear();
    }

    void cleanup()
    {
        form.reset();
        QCOMPARE(s->messages.answersLeft(), 0);
    }

    void cleanupTestCase()
    {
        s.reset();
        reference.reset();
    }

    // sl. 1 of January typed and left: the lines that hang on it follow, once,
    // whichever way the user left the box.
    void everyWayOut_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("way");
        const std::pair<const char *, Way> ways[] = {
            {"Tab", Way::Tab},
            {"Enter", Way::Enter},
            {"Shift+Tab", Way::ShiftTab},
            {"click on another box", Way::ClickBox},
            {"click on the tab of page 2", Way::ClickTab},
            {"Ctrl+Tab", Way::CtrlTab},
            {"Ctrl+Shift+Tab", Way::CtrlShiftTab},
            {"Ctrl+2", Way::CtrlPage},
            {"F9", Way::F9},
            {"navigator's post", Way::NavigatorPost},
            {"another window activated", Way::Deactivate},
            {"PgDn, Ano", Way::PageDownYes},
            {">>, Ano", Way::ForwardYes},
            {"Esc, Ano", Way::EscapeYes},
            {"Zavřít, Ano", Way::CloseButtonYes},
            {"close box, Ano", Way::CloseBoxYes},
        };
        for (const auto &[name, way] : ways) {
            QTest::addRow("employment, %s", name) << int(StatementKind::Employment) << int(way);
            QTest::addRow("withholding, %s", name) << int(StatementKind::Withholding) << int(way);
        }
    }

    void everyWayOut()
    {
        QFETCH(int, kind);
        QFETCH(int, way);
        const bool employment = StatementKind(kind) == StatementKind::Employment;
        const QString table = employment ? u"Vdvl"_s : u"Vdvs"_s;
        const QString field = employment ? u"Sl21"_s : u"Sl11"_s;
        StatementEditor *f = open(StatementKind(kind));
        QCOMPARE(focused(), box(field));
        QTest::keyClicks(focused(), u"40000"_s);

        QWidget *other = nullptr;
        switch (Way(way)) {
        case Way::Tab:
            QTest::keyClick(focused(), Qt::Key_Tab);
            break;
        case Way::Enter:
            QTest::keyClick(focused(), Qt::Key_Return);
            break;
        case Way::ShiftTab:
            QTest::keyClick(focused(), Qt::Key_Tab, Qt::ShiftModifier);
            break;
        case Way::ClickBox: {
            TDBEditz *target = box(employment ? u"Sl22"_s : u"Sl12"_s);
            QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
            QCOMPARE(focused(), target);
            break;
        }
        case Way::ClickTab: {
            QTabBar *bar = f->pages()->tabBar();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
            QCOMPARE(f->pages()->currentIndex(), 1);
            break;
        }
        case Way::CtrlTab:
            QTest::keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(f->pages()->currentIndex(), 1);
            break;
        case Way::CtrlShiftTab:
            QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(f->pages()->currentIndex(), f->pages()->count() - 1);
            break;
        case Way::CtrlPage:
            QTest::keyClick(focused(), Qt::Key_2, Qt::ControlModifier);
            QCOMPARE(f->pages()->currentIndex(), 1);
            break;
        case Way::F9:
            QTest::keyClick(focused(), Qt::Key_F9);
            QVERIFY(!s->dm.findTable(table)->isEditing());
            break;
        case Way::NavigatorPost: {
            QToolButton *post = f->navigator()->button(widgets::DbNavigator::Post);
            QTest::mouseClick(post, Qt::LeftButton, {}, post->rect().center());
            QVERIFY(!s->dm.findTable(table)->isEditing());
            break;
        }
        case Way::Deactivate:
            other = new QWidget;
            other->setAttribute(Qt::WA_DeleteOnClose);
            QVERIFY(editortest::showActive(other));
            QVERIFY(editortest::showActive(f));
            other->close();
            QCOMPARE(focused(), box(field));
            break;
        case Way::PageDownYes:
            s->messages.addAnswer(IMessages::Answer::Yes);
            QTest::keyClick(focused(), Qt::Key_PageDown);
            break;
        case Way::ForwardYes:
            s->messages.addAnswer(IMessages::Answer::Yes);
            QTest::mouseClick(f->forwardButton(), Qt::LeftButton);
            break;
        case Way::EscapeYes:
            s->messages.addAnswer(IMessages::Answer::Yes);
            QTest::keyClick(focused(), Qt::Key_Escape);
            QVERIFY(f->isVisible());
            break;
        case Way::CloseButtonYes:
            s->messages.addAnswer(IMessages::Answer::Yes);
            QTest::mouseClick(f->closeButton(), Qt::LeftButton);
            break;
        case Way::CloseBoxYes:
            s->messages.addAnswer(IMessages::Answer::Yes);
            QVERIFY(f->close());
            break;
        }
        QCOMPARE(ruleRuns, QStringList{field});
        QVERIFY(s->messages.texts(IMessages::Kind::Error).isEmpty());
        // Leaving again, posting, closing: nothing more runs.
        if (f->isVisible()) {
            if (focused())
                QTest::keyClick(focused(), Qt::Key_Tab);
            QTest::keyClick(f, Qt::Key_F9);
            QVERIFY(!s->dm.findTable(table)->isEditing());
            QVERIFY(f->close());
        }
        QCOMPARE(ruleRuns, QStringList{field});
        QCOMPARE(windowRecord(table), cliRecord(table, {{field + u"=40000"_s}}));
    }

    // Only what the user types is a change: a box entered before a post, a
    // re-read or a cancel does not count the values those put into it.
    void remembersWhatTheRecordHolds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("first");  // sl. 1 of January
        QTest::addColumn<QString>("typed");  // the box typed into in February
        QTest::addColumn<QString>("parked"); // the empty box clicked before F9
        QTest::newRow("employment") << int(StatementKind::Employment) << u"Sl21"_s << u"Sl32"_s << u"Sl22"_s;
        QTest::newRow("withholding") << int(StatementKind::Withholding) << u"Sl11"_s << u"Sl22"_s
                                     << u"Sl12"_s;
    }

    void remembersWhatTheRecordHolds()
    {
        QFETCH(int, kind);
        QFETCH(QString, first);
        QFETCH(QString, typed);
        QFETCH(QString, parked);
        const bool employment = StatementKind(kind) == StatementKind::Employment;
        data::Dataset &table = employment ? s->dm.Vdvl() : s->dm.Vdvs();
        StatementEditor *f = open(StatementKind(kind));
        const auto click = [](QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); };

        QTest::keyClicks(focused(), u"1000"_s);
        QTest::keyClick(focused(), Qt::Key_Tab);
        click(box(typed));
        QTest::keyClicks(focused(), u"777"_s);
        QTest::keyClick(focused(), Qt::Key_Tab);
        click(box(parked));
        QTest::keyClick(focused(), Qt::Key_F9); // stores the empty amounts as 0
        QVERIFY(!table.isEditing());
        QTest::keyClick(focused(), Qt::Key_2, Qt::ControlModifier);
        QTest::keyClick(focused(), Qt::Key_1, Qt::ControlModifier);
        QVERIFY(!table.isEditing());
        const QStringList changed = {first, typed}; // sl. 2 signals its change too
        QCOMPARE(ruleRuns, changed);
        QCOMPARE(box(typed)->text(), u"777"_s);
        QCOMPARE(s->field((employment ? u"Vdvl"_s : u"Vdvs"_s) + typed).asFloat(), 777.0);

        // F4 re-reads the record under the box, Esc and "Ne" cancel a text:
        // leaving afterwards is no change either.
        click(box(parked));
        QTest::keyClick(focused(), Qt::Key_F4);
        QTest::keyClicks(focused(), u"5"_s);
        s->messages.addAnswer(IMessages::Answer::No);
        QTest::keyClick(focused(), Qt::Key_Escape);
        QTest::keyClick(focused(), Qt::Key_Tab);
        QVERIFY(!table.isEditing());
        QCOMPARE(ruleRuns, changed);
        QVERIFY(f->close());
    }

    // Random sequences of (box, value, way out) typed into the window post
    // what qesto-cli set makes of the same values in the same order, one set
    // per F9. A fixed seed here; QESTO_SEQUENCES and QESTO_SEQUENCE_SEED
    // give the longer runs of bench/app/sequences.sh.
    void randomSequences_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("employment") << int(StatementKind::Employment);
        QTest::newRow("withholding") << int(StatementKind::Withholding);
    }

    void randomSequences()
    {
        QFETCH(int, kind);
        const QString table = StatementKind(kind) == StatementKind::Employment ? u"Vdvl"_s : u"Vdvs"_s;
        bool ok = false;
        int count = qEnvironmentVariableIntValue("QESTO_SEQUENCES", &ok);
        if (!ok || count <= 0)
            count = 6;
        unsigned seed = unsigned(qEnvironmentVariableIntValue("QESTO_SEQUENCE_SEED", &ok));
        if (!ok)
            seed = 20151231u;
        std::mt19937 rng(seed + unsigned(kind));
        for (int n = 0; n < count; ++n) {
            editortest::freshStatements(s);
            StatementEditor *f = open(StatementKind(kind));
            const QList<editortest::SequenceStep> steps = editortest::randomSequence(rng, *f->pages(), 8);
            QStringList described;
            for (const editortest::SequenceStep &step : steps)
                described.append(u"%1='%2' way %3"_s.arg(step.field, step.text).arg(int(step.way)));
            const QString what = u"seed %1, sequence %2: "_s.arg(seed).arg(n) + described.join(u"; "_s);
            QVERIFY2(editortest::runSequence(*f, *s, steps),
                     qPrintable(what + u"\n"_s + s->messages.texts().join(u" | "_s)));
            QVERIFY2(!s->dm.findTable(table)->isEditing(), qPrintable(what));
            const QByteArray byWindow = windowRecord(table);
            const QByteArray byCli = cliRecord(table, editortest::cliBatches(steps));
            QVERIFY2(!byCli.isEmpty(), qPrintable(what));
            QVERIFY2(byWindow == byCli, qPrintable(what + u"\nwindow: "_s + QString::fromUtf8(byWindow) +
                                                   u"\ncli:    "_s + QString::fromUtf8(byCli)));
        }
        qInfo("%s: %d sequences of 8 steps, seed %u", qPrintable(table), count, seed);
    }

    // A text refused while the page changes under the box keeps the page and
    // the focus, with the field's message, and runs no rule.
    void refusedTextKeepsThePage()
    {
        StatementEditor *f = open(StatementKind::Employment);
        QTest::keyClicks(focused(), u"99999999999"_s);
        QTabBar *bar = f->pages()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
        QCOMPARE(f->pages()->currentIndex(), 0);
        QCOMPARE(focused(), box(u"Sl21"_s));
        QTest::keyClick(focused(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(f->pages()->currentIndex(), 0);
        QCOMPARE(s->messages.texts(IMessages::Kind::Error).size(), 2);
        QVERIFY(ruleRuns.isEmpty());
        s->messages.addAnswer(IMessages::Answer::No);
        QVERIFY(f->close());
    }
};

QTEST_MAIN(TestEditorExits)
#include "test_editor_exits.moc"
