// The employment and withholding statement windows on the offscreen
// platform: the exit rules as the user meets them, the seams between pages,
// the keys, the close questions and the place kept per settlement; and one
// walk over every box of every form.

#include "CliCommands.h"
#include "EditorFixture.h"
#include "EditorSequence.h"
#include "ScriptedMessages.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "data/FieldText.h"
#include "platform/IniFile.h"
#include "statements/FormPages.h"
#include "statements/TEdvl1Form.h"
#include "statements/TEdvpaForm.h"
#include "statements/TEpkvForm.h"
#include "widgets/Editz.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScopeGuard>

#include <functional>

using namespace Qt::StringLiterals;
using platform::IMessages;
using statements::StatementEditor;
using statements::StatementKind;
using statements::TEdvl1Form;
using statements::TEdvpaForm;
using widgets::TDBEditz;

namespace {

QWidget *focused()
{
    return QApplication::focusWidget();
}

void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(focused(), k, mods);
}

} // namespace

class TestStatementEditors : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<editortest::Settlement> s;
    std::unique_ptr<StatementEditor> form;

    double value(const QString &qualified) const { return s->field(qualified).asFloat(); }

    // Amounts posted before the window opens, by qualified field name.
    void post(data::Dataset &table, const QList<std::pair<QString, double>> &values)
    {
        table.edit();
        for (const auto &[name, v] : values)
            s->field(name).setAsFloat(v);
        table.post();
    }

    template <class Form> Form *open(const QList<std::pair<QString, double>> &vdvl = {})
    {
        if (!s)
            s = std::make_unique<editortest::Settlement>();
        if (!vdvl.isEmpty())
            post(s->dm.Vdvl(), vdvl);
        auto *f = new Form(s->dm, s->messages, s->ini());
        form.reset(f);
        [&] { QVERIFY(editortest::showActive(f)); }();
        return f;
    }

    TDBEditz *box(const QString &field) const { return form->box(field); }

    StatementEditor *newForm(StatementKind kind)
    {
        switch (kind) {
        case statements::TEpkvForm::Kind:
            return new statements::TEpkvForm(s->dm, s->messages, s->ini());
        case statements::TEpkvbForm::Kind:
            return new statements::TEpkvbForm(s->dm, s->messages, s->ini());
        default:
            return editortest::newEditor(kind, *s);
        }
    }

    // Types into a box and leaves it with Enter.
    void enter(const QString &field, const QString &text)
    {
        QVERIFY(form->pages()->focusBox(field));
        editortest::typeInto(box(field), text);
        key(Qt::Key_Return);
    }

private Q_SLOTS:
    // One settlement for all the cases; each starts from empty statements.
    void init()
    {
        editortest::freshStatements(s);
        QFile::remove(s->ini().path);
    }

    void cleanup()
    {
        form.reset();
        QCOMPARE(s->messages.answersLeft(), 0);
    }

    void cleanupTestCase() { s.reset(); }

    // sl. 1 of March: 12500 typed over 12000 and Enter.
    void marchExample()
    {
        open<TEdvl1Form>({{u"VdvlSl21"_s, 10000},
                          {u"VdvlSl23"_s, 12000},
                          {u"VdvlSlo33"_s, 500},
                          {u"VdvlSl53"_s, 1000},
                          {u"VdvlSlb53"_s, 200},
                          {u"VdvlSl93"_s, 20000},
                          {u"VdvlC409"_s, 20000},
                          {u"VdvlC404"_s, 50}});
        QCOMPARE(focused(), box(u"Sl21"_s));
        enter(u"Sl23"_s, u"12500"_s);
        QCOMPARE(focused(), box(u"Sl33"_s));
        QCOMPARE(value(u"VdvlSl33"_s), 12500.0);
        QCOMPARE(value(u"VdvlSla53"_s), 12500.0 - 500 - 1000 - 200);
        QCOMPARE(value(u"VdvlC401"_s), 22500.0);
        QCOMPARE(value(u"VdvlC408"_s), 22500.0 + 50);
        QCOMPARE(value(u"VdvlC410"_s), 20000.0 - 22550);
        QVERIFY(s->dm.Vdvl().isEditing());
        QCOMPARE(box(u"Sla53"_s)->text(), u"10800"_s);
        QVERIFY(s->messages.shown().isEmpty());
    }

    // F9 in a box typed into posts the lines that depend on it too; leaving
    // the box afterwards computes nothing more.
    void postRunsTheRuleOfTheBox()
    {
        open<TEdvl1Form>({{u"VdvlSl23"_s, 12000}, {u"VdvlSl93"_s, 9000}, {u"VdvlC409"_s, 9000}});
        QVERIFY(form->pages()->focusBox(u"Sl23"_s));
        editortest::typeInto(box(u"Sl23"_s), u"12500"_s);
        key(Qt::Key_F9);
        QVERIFY(!s->dm.Vdvl().isEditing());
        QCOMPARE(value(u"VdvlSl33"_s), 12500.0);
        QCOMPARE(value(u"VdvlC401"_s), 12500.0);
        QCOMPARE(value(u"VdvlC410"_s), -3500.0);
        key(Qt::Key_Tab);
        QVERIFY(!s->dm.Vdvl().isEditing());
    }

    // Leaving a box unchanged, or changed and restored, computes nothing; a
    // value typed into ř. 1 stays until sl. 1 of a month changes.
    void remembersTexts()
    {
        open<TEdvl1Form>({{u"VdvlSl21"_s, 1000}, {u"VdvlC401"_s, 777}});
        key(Qt::Key_Tab);
        QCOMPARE(value(u"VdvlC401"_s), 777.0);
        QVERIFY(!s->dm.Vdvl().isEditing());

        enter(u"Sl21"_s, u"1000"_s);
        QCOMPARE(value(u"VdvlC401"_s), 777.0);
        QCOMPARE(value(u"VdvlSl31"_s), 0.0);

        enter(u"C401"_s, u"5000"_s);
        enter(u"Sl52"_s, u"300"_s); // sl. 4 recomputes ř. 2, 8, 10 but not ř. 1
        QCOMPARE(value(u"VdvlC403"_s), 300.0);
        QCOMPARE(value(u"VdvlC401"_s), 5000.0);
        QCOMPARE(value(u"VdvlC408"_s), 4700.0);
        enter(u"Sl22"_s, u"2000"_s);
        QCOMPARE(value(u"VdvlC401"_s), 3000.0);
        QCOMPARE(value(u"VdvlSl32"_s), 2000.0);
    }

    // A value out of range: the field's message, the focus stays, no rule.
    void refusedValue()
    {
        open<TEdvl1Form>({{u"VdvlSl21"_s, 1000}});
        QVERIFY(form->pages()->focusBox(u"Sl21"_s));
        editortest::typeInto(box(u"Sl21"_s), u"99999999999"_s);
        key(Qt::Key_Return);
        QCOMPARE(focused(), box(u"Sl21"_s));
        QCOMPARE(s->messages.texts(IMessages::Kind::Error).size(), 1);
        QVERIFY(s->messages.texts().first().startsWith(u"99999999999 není platná hodnota pro pole"_s));
        QCOMPARE(value(u"VdvlSl21"_s), 1000.0);
        QCOMPARE(value(u"VdvlSl31"_s), 0.0);
        QCOMPARE(box(u"Sl21"_s)->selectedText(), u"99999999999"_s);
    }

    // Amounts as people write them, typed or pasted from a spreadsheet; a
    // refusal names the box as the user sees it.
    void amountsAsTyped_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        QTest::newRow("space") << u"Sl22"_s << u"41 350"_s << false << QString();
        QTest::newRow("pasted no-break space") << u"Sl22"_s << u"41\u00A0350"_s << true << QString();
        QTest::newRow("pasted with decimals") << u"C404"_s << u"1\u00A0234,40"_s << true << QString();
        QTest::newRow("out of range") << u"Sl21"_s << u"99999999999"_s << false
                                      << u"99999999999 není platná hodnota pro pole 'sl. 1, leden'. Povolený "
                                         u"rozsah je od -9999999999 do "
                                         u"9999999999"_s;
        QTest::newRow("not a number") << u"Slb512"_s << u"12 34"_s << true
                                      << u"'12 34' není platné reálné číslo pro pole 'sl. 5, prosinec'"_s;
        QTest::newRow("recapitulation line")
            << u"C404a"_s << u"-10000000000"_s << false
            << u"-10000000000 není platná hodnota pro pole 'ř. 5'. Povolený rozsah je od -9999999999 do "
               u"9999999999"_s;
    }

    void amountsAsTyped()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, paste);
        QFETCH(QString, refusal);
        open<TEdvl1Form>();
        QVERIFY(form->pages()->focusBox(field));
        QTest::keyClick(focused(), Qt::Key_A, Qt::ControlModifier);
        if (paste) {
            QApplication::clipboard()->setText(text);
            QTest::keyClick(focused(), Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClicks(focused(), text);
        }
        QCOMPARE(box(field)->text(), text);
        key(Qt::Key_Tab);
        if (refusal.isEmpty()) {
            QVERIFY(s->messages.shown().isEmpty());
            QCOMPARE(value(u"Vdvl"_s + field), data::parseFloat(QString(text).remove(QChar(0xA0))).value());
        } else {
            QCOMPARE(s->messages.texts(IMessages::Kind::Error), QStringList{refusal});
            QCOMPARE(focused(), box(field));
        }
        s->messages.addAnswer(IMessages::Answer::No);
        form->close();
    }

    void escapeAsks()
    {
        open<TEdvl1Form>();
        editortest::typeInto(box(u"Sl21"_s), u"10"_s);
        s->messages.addAnswer(IMessages::Answer::No);
        key(Qt::Key_Escape);
        QCOMPARE(s->messages.texts(IMessages::Kind::Confirmation), QStringList{u"Uložit provedené změny?"_s});
        QVERIFY(form->isVisible());
        QVERIFY(!s->dm.Vdvl().isEditing());
        QVERIFY(s->field(u"VdvlSl21"_s).isNull());

        editortest::typeInto(box(u"Sl21"_s), u"20"_s);
        s->messages.addAnswer(IMessages::Answer::Yes);
        key(Qt::Key_Escape);
        QVERIFY(form->isVisible());
        QVERIFY(!s->dm.Vdvl().isEditing());
        QCOMPARE(value(u"VdvlSl21"_s), 20.0);

        key(Qt::Key_Escape); // browsing: closes
        QVERIFY(!form->isVisible());
        QCOMPARE(form->nextKind(), StatementKind::None);
    }

    // PgDn while editing asks the close question: Cancel stays, Yes posts
    // and goes on to the employee count.
    void pageDownAsks()
    {
        open<TEdvl1Form>();
        editortest::typeInto(box(u"Sl21"_s), u"10"_s);
        s->messages.addAnswer(IMessages::Answer::Cancel);
        key(Qt::Key_PageDown);
        QCOMPARE(s->messages.texts(IMessages::Kind::Question),
                 QStringList{u"V tabulce Vyúčtování daně z příjmů ze závislé činnosti byly provedeny změny.\n"
                             u"Uložit záznam?"_s});
        QVERIFY(form->isVisible());
        QCOMPARE(form->nextKind(), StatementKind::None);
        QVERIFY(s->dm.Vdvl().isEditing());

        s->messages.addAnswer(IMessages::Answer::Yes);
        key(Qt::Key_PageDown);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->nextKind(), StatementKind::EmployeeCount);
        QCOMPARE(value(u"VdvlSl21"_s), 10.0);
        QVERIFY(s->dm.Vdvl().isActive());
    }

    void seams()
    {
        auto *f = open<TEdvl1Form>();
        statements::FormPages *pages = f->pages();
        const auto at = [&](int page, const QString &field) {
            return pages->currentIndex() == page && focused() == box(field);
        };
        // From a box, Enter or Shift+Enter, to the page and box reached.
        struct Step
        {
            const char16_t *from;
            bool shift;
            int page;
            const char16_t *to;
        };
        const Step steps[] = {
            {u"Slc35", false, 0, u"Slc36"}, {u"Slc36", false, 1, u"Sl27"}, {u"Sl27", true, 0, u"Slc36"},
            {u"Slc36", true, 0, u"Slc35"},  {u"Sl27", false, 1, u"Sl37"},  {u"Slc312", false, 2, u"C106"},
            {u"C106", true, 1, u"Slc312"},  {u"C106", false, 2, u"C106a"}, {u"C410", false, 3, u"Mv1"},
            {u"Mv1", true, 2, u"C410"},     {u"C410", true, 2, u"C409"},   {u"Mv1", false, 3, u"Vc1"},
        };
        for (const Step &step : steps) {
            const QString from = QString::fromUtf16(step.from);
            QVERIFY(pages->focusBox(from));
            key(Qt::Key_Return, step.shift ? Qt::ShiftModifier : Qt::NoModifier);
            QVERIFY2(at(step.page, QString::fromUtf16(step.to)), qPrintable(from));
        }

        // A changed sl. 1 at a seam runs its rule when Enter leaves the page.
        QVERIFY(pages->focusBox(u"Sl27"_s));
        editortest::typeInto(box(u"Sl27"_s), u"700"_s);
        key(Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(at(0, u"Slc36"_s));
        QCOMPARE(value(u"VdvlSl37"_s), 700.0);
        QCOMPARE(value(u"VdvlC401"_s), 700.0);

        // Withholding: the last reference number leads to "&Zavřít" on page 3.
        form.reset();
        auto *w = open<TEdvpaForm>();
        QVERIFY(w->pages()->focusBox(u"Slc712"_s));
        key(Qt::Key_Return);
        QCOMPARE(w->pages()->currentIndex(), 2);
        QCOMPARE(focused(), w->closeButton());
        // There Enter closes: the keyboard has a way out.
        key(Qt::Key_Return);
        QVERIFY(!w->isVisible());
    }

    void pageKeys()
    {
        auto *f = open<TEdvl1Form>();
        key(Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(f->pages()->currentIndex(), 2);
        QCOMPARE(focused(), box(u"C106"_s));
        key(Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(f->pages()->currentIndex(), 0);
        key(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
        key(Qt::Key_3, Qt::AltModifier);
        QCOMPARE(f->pages()->currentIndex(), 0);
        key(Qt::Key_4, Qt::ControlModifier);
        QCOMPARE(f->pages()->currentIndex(), 3);
        key(Qt::Key_F4);
        QVERIFY(s->dm.Vdvl().isEditing());
        key(Qt::Key_F9);
        QVERIFY(!s->dm.Vdvl().isEditing());
        key(Qt::Key_PageUp); // no window before the employment statement
        QVERIFY(f->isVisible());
        QVERIFY(!f->backButton()->isEnabled());
        QCOMPARE(f->forwardButton()->toolTip(), u"Počet zaměstnanců (PgDn)"_s);
    }

    // ř. 5 of the withholding statement follows sl. 1 and sl. 10; sl. 1
    // copies itself into sl. 2 and sets sl. 8a.
    void withholdingFollows()
    {
        auto *w = open<TEdvpaForm>();
        QCOMPARE(w->windowTitle(), u"Vyúčtování daně vybírané srážkou"_s);
        enter(u"Slo71"_s, u"1200"_s);
        enter(u"Sl11"_s, u"5000"_s);
        QCOMPARE(value(u"VdvsSl21"_s), 5000.0);
        QCOMPARE(value(u"VdvsSld91"_s), 3800.0);
        QCOMPARE(box(u"C403"_s)->text(), u"-5000"_s);
        enter(u"Sl101"_s, u"5200"_s);
        QCOMPARE(box(u"C401a"_s)->text(), u"5000"_s);
        QCOMPARE(box(u"C402"_s)->text(), u"5200"_s);
        QCOMPARE(box(u"C403"_s)->text(), u"200"_s);
        QCOMPARE(box(u"Sld913"_s)->text(), u"3800"_s);

        s->messages.addAnswer(IMessages::Answer::No);
        key(Qt::Key_PageUp);
        QCOMPARE(w->nextKind(), StatementKind::BonusCorrections);
        QVERIFY(s->field(u"VdvsSl11"_s).isNull());
    }

    void printButtonCloses()
    {
        auto *w = open<TEdvpaForm>();
        key(Qt::Key_3, Qt::ControlModifier); // nothing to type into on page 3
        QCOMPARE(w->pages()->currentIndex(), 2);
        QCOMPARE(focused(), w->closeButton());
        QCOMPARE(w->forwardButton()->toolTip(), u"Tisk vyúčtování (PgDn)"_s);
        QCOMPARE(w->backButton()->toolTip(), u"Příloha k vyúčtování - opravy bonusu (PgUp)"_s);
        w->forwardButton()->click();
        QVERIFY(!w->isVisible());
        QCOMPARE(w->nextKind(), StatementKind::Print);
    }

    // The place is kept in the settlement's INI file under the window's name.
    void keepsPlace()
    {
        auto *f = open<TEdvl1Form>();
        f->move(123, 95);
        f->close();
        const platform::IniFile ini(s->ini().path);
        QCOMPARE(ini.readInteger(u"D1"_s, u"QestoDataDane1Left"_s, 0), 123);
        QCOMPARE(ini.readInteger(u"D1"_s, u"QestoDataDane1Top"_s, 0), 95);
        auto *again = open<TEdvl1Form>();
        QCOMPARE(again->pos(), QPoint(123, 95));
    }

    // qesto-cli set types as the window does: the March example through the
    // command line posts the same record as the window and F9.
    void commandLineAsWindow()
    {
        const QList<std::pair<QString, double>> before = {
            {u"VdvlSl23"_s, 12000}, {u"VdvlSlo33"_s, 500}, {u"VdvlC404"_s, 50}, {u"VdvlSl93"_s, 9000.4}};
        open<TEdvl1Form>(before);
        enter(u"Sl23"_s, u"12500"_s);
        enter(u"C404a"_s, u"20,6"_s);
        key(Qt::Key_F9);
        form.reset();
        s->dm.Disconnect();
        const QString windowDir = s->root + u"D1"_s;
        const cli::Result byWindow = cli::run({u"dump"_s, windowDir, u"Vdvl"_s});
        QCOMPARE(byWindow.exitCode, 0);
        auto windowSettlement = std::move(s);

        s = std::make_unique<editortest::Settlement>();
        post(s->dm.Vdvl(), before);
        s->dm.Disconnect();
        const QString dir = s->root + u"D1"_s;
        cli::Result r = cli::run({u"set"_s, dir, u"vdvl"_s, u"Sl23=12500"_s, u"C404a=20,6"_s});
        QCOMPARE(r.error, QString());
        QCOMPARE(r.exitCode, 0);
        r = cli::run({u"dump"_s, dir, u"Vdvl"_s});
        QCOMPARE(r.output, byWindow.output);
        QVERIFY(r.output.contains(",12500,"));
    }

    // The annexes through the command line: a kind box keeps one letter, an
    // empty amount stays empty, the others are rounded.
    void commandLineAnnex()
    {
        s->dm.Disconnect();
        const QString dir = s->root + u"D1"_s;
        cli::Result r = cli::run({u"set"_s, dir, u"Vpkv"_s, u"Z1=ZD"_s, u"N11=01/2015"_s, u"C15=100,6"_s});
        QCOMPARE(r.error, QString());
        s->dm.OtevritTabulky();
        QCOMPARE(s->field(u"VpkvZ1"_s).asString(), u"Z"_s);
        QCOMPARE(s->field(u"VpkvN11"_s).asString(), u"01/2015"_s);
        QCOMPARE(value(u"VpkvC15"_s), 101.0);
        QVERIFY(s->field(u"VpkvC25"_s).isNull());
    }

    // A refused value posts nothing, not even the values before it: the
    // table's file stays byte for byte, and the field's message is the error.
    void commandLineRefusal_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("out of range") << QStringList{u"Vdvl"_s, u"Sl21=100"_s, u"Sl22=99999999999"_s}
                                      << u"99999999999 není platná hodnota pro pole"_s;
        QTest::newRow("not a number")
            << QStringList{u"Vdvl"_s, u"Sl21=12a"_s} << u"'12a' není platné reálné číslo pro pole"_s;
        QTest::newRow("calculated") << QStringList{u"Vdvs"_s, u"C403=5"_s} << u"Pole 'C403' se vypočítává"_s;
        QTest::newRow("no box") << QStringList{u"Vdvl"_s, u"Sl41=5"_s} << u"Pole 'Sl41' nemá"_s;
        QTest::newRow("no form") << QStringList{u"Mzd11"_s, u"Dan=1"_s} << u"Tabulku Mzd11 nelze"_s;
        QTest::newRow("no equals sign") << QStringList{u"Vdvl"_s, u"Sl21"_s} << u"Zadání 'Sl21'"_s;
    }

    void commandLineRefusal()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        post(s->dm.Vdvl(), {{u"VdvlSl21"_s, 1000}});
        s->dm.Disconnect();
        const QString dir = s->root + u"D1"_s;
        const auto hash = [&dir](const QString &file) {
            QFile f(dir + u'/' + file);
            return f.open(QIODevice::ReadOnly)
                       ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1)
                       : QByteArray();
        };
        const QByteArray vdvl = hash(u"Vdvl.DB"_s), vdvs = hash(u"Vdvs.DB"_s);
        const cli::Result r = cli::run(QStringList{u"set"_s, dir} + args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.error.startsWith(message), qPrintable(r.error));
        QCOMPARE(hash(u"Vdvl.DB"_s), vdvl);
        QCOMPARE(hash(u"Vdvs.DB"_s), vdvs);
    }

    // The legends under each form read whole at 100, 125 and 150 % font
    // scaling: no legend is cut or wrapped, none overlaps another.
    void legendsReadable_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("scale");
        const std::pair<const char *, StatementKind> kinds[] = {
            {"Vyúčtování daně z příjmů", TEdvl1Form::Kind},
            {"Vyúčtování srážkou", TEdvpaForm::Kind},
            {"Příloha - opravy", statements::TEpkvForm::Kind},
            {"Příloha - opravy bonusu", statements::TEpkvbForm::Kind},
        };
        for (const auto &[name, kind] : kinds) {
            for (double scale : {1.0, 1.25, 1.5})
                QTest::addRow("%s, %d %%", name, int(scale * 100)) << int(kind) << scale;
        }
    }

    void legendsReadable()
    {
        QFETCH(int, kind);
        QFETCH(double, scale);
        const QFont before = QApplication::font();
        QFont scaled = before;
        scaled.setPointSizeF(before.pointSizeF() * scale);
        QApplication::setFont(scaled);
        const auto restore = qScopeGuard([&before] { QApplication::setFont(before); });
        form.reset(newForm(StatementKind(kind)));
        QVERIFY(editortest::showActive(form.get()));
        statements::FormPages *pages = form->pages();
        for (int p = 0; p < pages->count(); ++p) {
            pages->setCurrentIndex(p);
            QWidget *page = pages->currentWidget();
            auto *block = page->findChild<QWidget *>(u"legends"_s);
            if (!block)
                continue;
            page->layout()->activate();
            const QList<QLabel *> labels = block->findChildren<QLabel *>();
            QVERIFY(!labels.isEmpty());
            QVERIFY2(page->rect().contains(QRect(block->mapTo(page, QPoint(0, 0)), block->size())),
                     "legends cut by the page");
            for (qsizetype i = 0; i < labels.size(); ++i) {
                const QLabel *label = labels[i];
                const QFontMetrics metrics(label->font());
                const QStringList lines = label->text().split(u'\n');
                int widest = 0;
                for (const QString &line : lines)
                    widest = std::max(widest, metrics.horizontalAdvance(line));
                QVERIFY2(label->contentsRect().width() >= widest, qPrintable(label->text()));
                QVERIFY2(label->contentsRect().height() >= int(lines.size()) * metrics.height(),
                         qPrintable(label->text()));
                QVERIFY2(block->rect().contains(label->geometry()), qPrintable(label->text()));
                for (qsizetype j = i + 1; j < labels.size(); ++j)
                    QVERIFY2(!label->geometry().intersects(labels[j]->geometry()),
                             qPrintable(label->text() + u" / "_s + labels[j]->text()));
            }
        }
    }

    // Every box of every form: bound to a field of its table, as long as the
    // field allows, calculated boxes read-only, blue and out of the tab
    // order, the others in the layout's tab order.
    void everyBox_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("Vyúčtování daně z příjmů") << int(TEdvl1Form::Kind);
        QTest::newRow("Vyúčtování srážkou") << int(TEdvpaForm::Kind);
        QTest::newRow("Příloha - opravy") << int(statements::TEpkvForm::Kind);
        QTest::newRow("Příloha - opravy bonusu") << int(statements::TEpkvbForm::Kind);
    }

    void everyBox()
    {
        QFETCH(int, kind);
        form.reset(newForm(StatementKind(kind)));
        QVERIFY(editortest::showActive(form.get()));
        statements::FormPages *pages = form->pages();
        const statements::FormLayout &layout = pages->formLayout();
        data::Dataset *table = s->dm.findTable(layout.table);
        QVERIFY(table);
        QCOMPARE(pages->boxes().size(), layout.boxFields().size());
        for (int p = 0; p < pages->count(); ++p) {
            pages->setCurrentIndex(p);
            TDBEditz *previous = nullptr;
            for (TDBEditz *b : pages->pageBoxes(p)) {
                const QString name = b->objectName().mid(6);
                data::Field *field = table->findField(name);
                QVERIFY2(field, qPrintable(name));
                QCOMPARE(b->field(), field);
                const int size = field->size() > 0 ? field->size() : 32767;
                QCOMPARE(b->maxLength(), size);
                QVERIFY2(!b->toolTip().isEmpty(), qPrintable(name));
                if (field->isCalculated()) {
                    QVERIFY2(b->isReadOnly(), qPrintable(name));
                    QVERIFY(!(b->focusPolicy() & Qt::TabFocus));
                    QCOMPARE(b->palette().color(QPalette::Text), QColor(Qt::blue));
                    continue;
                }
                QVERIFY2(!b->isReadOnly(), qPrintable(name));
                if (previous) {
                    QWidget *next = previous->nextInFocusChain();
                    while (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible())
                        next = next->nextInFocusChain();
                    QVERIFY2(next == b, qPrintable(name));
                }
                previous = b;
            }
        }
    }
};

QTEST_MAIN(TestStatementEditors)
#include "test_statement_editors.moc"
