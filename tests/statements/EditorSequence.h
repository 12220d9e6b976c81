#pragma once

// What the tests of the statement windows share with the benchmark that
// drives them longer: the windows by kind, statements emptied the same way
// in two settlements, and qesto-cli set on one of them.

#include "CliCommands.h"
#include "EditorFixture.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "statements/FormPages.h"
#include "statements/TEdvl1Form.h"
#include "statements/TEdvpaForm.h"
#include "widgets/Editz.h"

#include <QTabBar>

#include <memory>
#include <random>
#include <utility>

namespace editortest {

inline statements::StatementEditor *newEditor(statements::StatementKind kind, Settlement &s)
{
    if (kind == statements::StatementKind::Withholding)
        return new statements::TEdvpaForm(s.dm, s.messages, s.ini());
    return new statements::TEdvl1Form(s.dm, s.messages, s.ini());
}

// Both statements with every stored field empty, as a new settlement has
// them; without the post rules, which would store the emptied amounts as 0.
inline void clearStatements(data::TDM1 &dm)
{
    for (data::Dataset *table : {&dm.Vdvl(), &dm.Vdvs()}) {
        const auto rules = std::exchange(table->beforePost, nullptr);
        table->edit();
        for (int i = 0; i < table->fieldCount(); ++i) {
            if (!table->field(i)->isCalculated())
                table->field(i)->clear();
        }
        table->post();
        table->beforePost = rules;
    }
}

// The one settlement a test case starts from: created the first time, open,
// both statements empty, no scripted answers left over.
inline Settlement &freshStatements(std::unique_ptr<Settlement> &s)
{
    if (!s)
        s = std::make_unique<Settlement>();
    if (!s->dm.tablesOpen())
        s->dm.OtevritTabulky();
    clearStatements(s->dm);
    s->messages = platform::ScriptedMessages();
    return *s;
}

// Empties the statements of `s`, runs qesto-cli set on it once for each
// batch of assignments (FIELD=TEXT; each run posts) and gives the table's
// dump; the settlement is open again afterwards. An empty dump when a set
// failed.
inline QByteArray cliSetDump(Settlement &s, const QString &table, const QList<QStringList> &batches)
{
    if (!s.dm.tablesOpen())
        s.dm.OtevritTabulky();
    clearStatements(s.dm);
    s.dm.Disconnect();
    const QString dir = s.root + QStringLiteral("D1");
    QByteArray out;
    bool ok = true;
    for (const QStringList &assignments : batches) {
        if (!assignments.isEmpty())
            ok = ok && cli::run(QStringList{QStringLiteral("set"), dir, table} + assignments).exitCode == 0;
    }
    if (ok)
        out = cli::run({QStringLiteral("dump"), dir, table}).output;
    s.dm.OtevritTabulky();
    return out;
}

// The table of `s` as qesto-cli dump shows it, with the window closed.
inline QByteArray dumpTable(Settlement &s, const QString &table)
{
    s.dm.Disconnect();
    const cli::Result r = cli::run({QStringLiteral("dump"), s.root + QStringLiteral("D1"), table});
    s.dm.OtevritTabulky();
    return r.output;
}

// How a step of a sequence leaves its box: the ways that keep the record in
// edit mode, and F9, which posts it.
enum class SequenceWay
{
    Tab,
    Enter,
    ShiftTab,
    ClickNextBox,
    ClickTab,
    CtrlTab,
    CtrlPage,
    Deactivate,
    F9,
    Count
};

struct SequenceStep
{
    QString field;
    QString text;
    SequenceWay way = SequenceWay::Tab;
};

// Values as people type them into the boxes: whole and decimal amounts,
// grouped by spaces, negative, out of nothing (emptied), and short texts
// with Czech letters.
inline QString randomText(std::mt19937 &rng, const data::Field &field)
{
    const auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    if (!dynamic_cast<const data::FloatField *>(&field)) {
        static const char16_t *texts[] = {u"", u"č. j. 12/2015", u"březen", u"15.4.2015", u"Žádost ř. 3"};
        return QString::fromUtf16(texts[pick(5)]);
    }
    switch (pick(6)) {
    case 0:
        return QString();
    case 1: {
        const int thousands = 1 + pick(999);
        return QString::number(thousands) + QChar(pick(2) ? u' ' : QChar(0xA0)) +
               QString::number(pick(1000)).rightJustified(3, u'0');
    }
    case 2:
        return QString::number(pick(100000)) + u',' + QString::number(pick(100));
    case 3:
        return QStringLiteral("-") + QString::number(pick(5000));
    default:
        return QString::number(pick(200000));
    }
}

// A sequence of `length` steps over the boxes the user can type into.
inline QList<SequenceStep> randomSequence(std::mt19937 &rng, const statements::FormPages &pages, int length)
{
    QList<widgets::TDBEditz *> boxes;
    for (widgets::TDBEditz *b : pages.boxes()) {
        if (!b->isReadOnly() && (b->focusPolicy() & Qt::TabFocus))
            boxes.append(b);
    }
    QList<SequenceStep> steps;
    for (int i = 0; i < length; ++i) {
        widgets::TDBEditz *b = boxes.at(std::uniform_int_distribution<qsizetype>(0, boxes.size() - 1)(rng));
        SequenceStep step;
        step.field = b->field()->fieldName();
        step.text = randomText(rng, *b->field());
        step.way = SequenceWay(std::uniform_int_distribution<int>(0, int(SequenceWay::Count) - 1)(rng));
        steps.append(step);
    }
    return steps;
}

// What the sequence sends to qesto-cli set: the assignments, one batch per
// post of the window (F9, and the last one at the end).
inline QList<QStringList> cliBatches(const QList<SequenceStep> &steps)
{
    QList<QStringList> batches{{}};
    for (const SequenceStep &step : steps) {
        batches.back().append(step.field + u'=' + step.text);
        if (step.way == SequenceWay::F9)
            batches.append(QStringList());
    }
    return batches;
}

// Types text as a keyboard does, also letters outside ASCII (a no-break
// space, Czech letters), which QTest::keyClicks cannot.
inline void typeText(QWidget *box, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(box, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Puts the focus into the box of `field` as a person does: a click on its
// page's tab when it is on another page, then a click into the box.
inline void clickInto(statements::StatementEditor &form, const QString &field)
{
    statements::FormPages *pages = form.pages();
    widgets::TDBEditz *box = form.box(field);
    const int page = int(pages->indexOf(box->parentWidget()));
    if (page != pages->currentIndex()) {
        QTabBar *bar = pages->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    }
    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
}

// Runs the steps in the open window with real keys and clicks, then posts
// with F9. False when a step did not go as a person would see it (the focus
// not where it was clicked, a message shown).
inline bool runSequence(statements::StatementEditor &form, Settlement &s, const QList<SequenceStep> &steps)
{
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const SequenceStep &step = steps[i];
        widgets::TDBEditz *box = form.box(step.field);
        if (QApplication::focusWidget() != box)
            clickInto(form, step.field);
        if (QApplication::focusWidget() != box)
            return false;
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        if (step.text.isEmpty())
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            typeText(box, step.text);
        QWidget *focus = box;
        switch (step.way) {
        case SequenceWay::Tab:
            QTest::keyClick(focus, Qt::Key_Tab);
            break;
        case SequenceWay::Enter:
            QTest::keyClick(focus, Qt::Key_Return);
            break;
        case SequenceWay::ShiftTab:
            QTest::keyClick(focus, Qt::Key_Tab, Qt::ShiftModifier);
            break;
        case SequenceWay::ClickNextBox:
            clickInto(form, i + 1 < steps.size() ? steps[i + 1].field : step.field);
            break;
        case SequenceWay::ClickTab: {
            QTabBar *bar = form.pages()->tabBar();
            const int next = (form.pages()->currentIndex() + 1) % form.pages()->count();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(next).center());
            break;
        }
        case SequenceWay::CtrlTab:
            QTest::keyClick(focus, Qt::Key_Tab, Qt::ControlModifier);
            break;
        case SequenceWay::CtrlPage:
            QTest::keyClick(focus, Qt::Key_1, Qt::ControlModifier);
            break;
        case SequenceWay::Deactivate: {
            QWidget other;
            if (!showActive(&other) || !showActive(&form))
                return false;
            break;
        }
        case SequenceWay::F9:
            QTest::keyClick(focus, Qt::Key_F9);
            break;
        case SequenceWay::Count:
            break;
        }
        if (!s.messages.shown().isEmpty())
            return false;
    }
    if (QApplication::focusWidget())
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
    else
        QTest::keyClick(&form, Qt::Key_F9);
    return s.messages.shown().isEmpty();
}

} // namespace editortest
