// The employee count "Počet zaměstnanců" on the offscreen platform: its
// boxes, grid and navigator, the key table, the record position in the
// status bar, the close question and the saved position.

#include "EditorFixture.h"
#include "data/Dataset.h"
#include "platform/IniFile.h"
#include "statements/TEpzForm.h"
#include "widgets/DbGrid.h"
#include "widgets/DbNavigator.h"
#include "widgets/Editz.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QGroupBox>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::StringLiterals;
using platform::IMessages;
using statements::TEpzForm;
using statustest::at;
using statustest::newRecord;
using widgets::DbNavigator;

class TestEmployeeCount : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<editortest::Settlement> s;
    std::unique_ptr<TEpzForm> form;

    data::Dataset &vpz() const { return s->dm.Vpz(); }
    data::RecordPosition position() const { return s->status.position; }

    // Places of work written straight into the table.
    void addPlaces(const QStringList &names)
    {
        for (const QString &name : names) {
            vpz().append();
            s->field(u"VpzN3"_s).setAsString(name);
            s->field(u"VpzC4"_s).setAsFloat(3);
            vpz().post();
        }
        vpz().first();
    }

    void open(const QStringList &places = {})
    {
        s = std::make_unique<editortest::Settlement>();
        addPlaces(places);
        form = std::make_unique<TEpzForm>(s->dm, s->messages, s->ini());
        QVERIFY(editortest::showActive(form.get()));
    }

    void key(QWidget *target, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(target, k, mods);
    }

private Q_SLOTS:
    void cleanup()
    {
        form.reset();
        s.reset();
    }

    void controls()
    {
        open();
        QCOMPARE(form->windowTitle(), u"Počet zaměstnanců"_s);
        const QStringList fields = {u"N3"_s, u"C4"_s, u"N5"_s, u"N6"_s, u"N7"_s};
        const QStringList hints = {u"Název místa výkonu práce"_s, u"Počet zaměstnanců"_s, u"Název obce"_s,
                                   u"Kód obce (ZÚJ)"_s, u"Název území okresu"_s};
        for (qsizetype i = 0; i < fields.size(); ++i) {
            widgets::TDBEditz *box = form->box(fields[i]);
            QVERIFY(box);
            QCOMPARE(box->field(), s->dm.field(u"Vpz"_s + fields[i]));
            QCOMPARE(box->maxLength(), box->field()->size() > 0 ? box->field()->size() : 32767);
            QCOMPARE(box->toolTip(), hints[i]);
            if (i > 0) {
                QWidget *next = form->box(fields[i - 1])->nextInFocusChain();
                while (next->focusPolicy() == Qt::NoFocus)
                    next = next->nextInFocusChain();
                QCOMPARE(next, box);
            }
        }
        QCOMPARE(form->boxGroup()->toolTip(), u"Nápověda (F1)"_s);
        QVERIFY(!form->box(u"N7"_s)->enterTab());
        QCOMPARE(form->grid()->columnCount(), 5);
        const QStringList titles = {u"Název místa"_s, u"Počet zam."_s, u"Název obce"_s, u"Kód obce"_s,
                                    u"Název území okresu"_s};
        for (int c = 0; c < 5; ++c)
            QCOMPARE(form->grid()->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        QVERIFY(!form->grid()->isCellEditing());
        QVERIFY(!form->grid()->confirmDelete());

        const QStringList navHints = {u"První záznam (Ctrl+Home)"_s,
                                      u"Předchozí záznam (PgUp)"_s,
                                      u"Další záznam (PgDn)"_s,
                                      u"Poslední záznam (Ctrl+End)"_s,
                                      u"Vložit záznam (Insert nebo F2)"_s,
                                      u"Smazat záznam (Ctrl+Del nebo Ctrl+Y)"_s,
                                      u"Opravit záznam (F4)"_s,
                                      u"Uložit záznam (F9)"_s,
                                      u"Stornovat změny (Esc)"_s};
        for (int i = 0; i < navHints.size(); ++i) {
            const auto button = DbNavigator::Button(1u << i);
            QVERIFY(form->navigator()->button(button)->isVisible());
            QCOMPARE(form->navigator()->hint(button), navHints[i]);
        }
        QVERIFY(!form->navigator()->button(DbNavigator::Refresh)->isVisible());
        QCOMPARE(form->backButton()->toolTip(), u"Vyúčtování daně z příjmů ze závislé činnosti"_s);
        QCOMPARE(form->forwardButton()->toolTip(), u"Příloha k vyúčtování - opravy"_s);
        QCOMPARE(form->backButton()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(form->forwardButton()->focusPolicy(), Qt::NoFocus);
    }

    void enterInTheLastBoxGoesBackToTheFirst()
    {
        open({u"Dílna"_s});
        form->box(u"N7"_s)->setFocus();
        key(form->box(u"N7"_s), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), form->box(u"N3"_s));
        form->box(u"N7"_s)->setFocus();
        key(form->box(u"N7"_s), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), form->box(u"N6"_s));
        key(form->box(u"N6"_s), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), form->box(u"N7"_s));
    }

    void recordKeysAndPosition()
    {
        open({u"Dílna"_s, u"Sklad"_s, u"Kancelář"_s});
        QWidget *grid = form->grid();
        grid->setFocus();
        form->activateWindow();
        key(grid, Qt::Key_PageDown);
        QCOMPARE(vpz().recNo(), 2);
        QCOMPARE(position(), at(2, 3));
        key(grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(vpz().recNo(), 3);
        key(grid, Qt::Key_PageDown);
        QCOMPARE(vpz().recNo(), 3);
        key(grid, Qt::Key_PageUp);
        QCOMPARE(position(), at(2, 3));
        key(grid, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(position(), at(1, 3));

        // Ctrl+End in a box goes to the last place and leaves the cursor at
        // the beginning of the box.
        widgets::TDBEditz *name = form->box(u"N5"_s);
        name->setFocus();
        key(name, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(vpz().recNo(), 3);
        QCOMPARE(name->cursorPosition(), 0);
    }

    void ctrlYDeletesWithoutAQuestion()
    {
        open({u"Dílna"_s, u"Sklad"_s, u"Kancelář"_s});
        key(form->grid(), Qt::Key_PageDown);
        QCOMPARE(position(), at(2, 3));
        key(form->grid(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(vpz().recordCount(), 2);
        QCOMPARE(s->field(u"VpzN3"_s).asString(), u"Kancelář"_s);
        QCOMPARE(position(), at(2, 2));
        // Ctrl+Delete in a box deletes too; the box takes it as Home.
        widgets::TDBEditz *name = form->box(u"N3"_s);
        name->setFocus();
        name->setCursorPosition(3);
        key(name, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(vpz().recordCount(), 1);
        QCOMPARE(position(), at(1, 1));
        QCOMPARE(name->text(), u"Dílna"_s);
        QCOMPARE(name->cursorPosition(), 0);
        // In the grid the grid deletes, also without asking.
        key(form->grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(vpz().recordCount(), 0);
        QCOMPARE(position(), at(0, 0));
        QVERIFY(s->messages.shown().isEmpty());
    }

    void insertStartsANewPlaceInTheNameBox()
    {
        open({u"Dílna"_s});
        form->grid()->setFocus();
        key(form->grid(), Qt::Key_Insert);
        QCOMPARE(vpz().state(), data::DatasetState::Insert);
        QCOMPARE(position(), newRecord());
        QVERIFY(s->status.editing);
        QCOMPARE(QApplication::focusWidget(), form->box(u"N3"_s));
        QTest::keyClicks(form->box(u"N3"_s), u"Sklad"_s);
        key(form->box(u"N3"_s), Qt::Key_F9);
        QCOMPARE(vpz().state(), data::DatasetState::Browse);
        QCOMPARE(vpz().recordCount(), 2);
        QCOMPARE(position(), at(2, 2));
        QVERIFY(!s->status.editing);

        // F2 while a place is being edited posts it first.
        editortest::typeInto(form->box(u"N5"_s), u"Brno"_s);
        QVERIFY(vpz().isEditing());
        key(form->box(u"N5"_s), Qt::Key_F2);
        QCOMPARE(vpz().state(), data::DatasetState::Insert);
        QCOMPARE(vpz().recordCount(), 2);
        QCOMPARE(s->field(u"VpzN5"_s).asString(), QString());
        s->messages.addAnswer(IMessages::Answer::No);
        key(form->box(u"N3"_s), Qt::Key_Escape);
        QCOMPARE(vpz().recordCount(), 2);
        QCOMPARE(vpz().state(), data::DatasetState::Browse);
        vpz().last();
        QCOMPARE(s->field(u"VpzN5"_s).asString(), u"Brno"_s);
    }

    void f4EditsAndEscAsks()
    {
        open({u"Dílna"_s});
        form->grid()->setFocus();
        key(form->grid(), Qt::Key_F4);
        QCOMPARE(vpz().state(), data::DatasetState::Edit);
        QCOMPARE(QApplication::focusWidget(), form->box(u"N3"_s));
        QTest::keyClicks(form->box(u"N3"_s), u"ka"_s);
        s->messages.addAnswer(IMessages::Answer::No);
        key(form->box(u"N3"_s), Qt::Key_Escape);
        QCOMPARE(s->messages.texts(IMessages::Kind::Confirmation), QStringList{u"Uložit provedené změny?"_s});
        QCOMPARE(vpz().state(), data::DatasetState::Browse);
        QCOMPARE(form->box(u"N3"_s)->text(), u"Dílna"_s);
        QVERIFY(form->isVisible());

        editortest::typeInto(form->box(u"N5"_s), u"Brno"_s);
        s->messages.addAnswer(IMessages::Answer::Yes);
        key(form->box(u"N5"_s), Qt::Key_Escape);
        QCOMPARE(s->field(u"VpzN5"_s).asString(), u"Brno"_s);
        QCOMPARE(vpz().state(), data::DatasetState::Browse);
        QVERIFY(form->isVisible());
        // Not editing: Esc closes.
        key(form->box(u"N5"_s), Qt::Key_Escape);
        QVERIFY(!form->isVisible());
        QCOMPARE(s->messages.shown().size(), 2);
    }

    void f5ReadsTheTableAgain()
    {
        open({u"Dílna"_s});
        // Another computer adds a place.
        data::TDM1 other{data::Collaborators::tablesOnly()};
        other.DM1Create(s->root);
        other.setDatabasePath(s->root + u"D1"_s);
        other.OtevritTabulky();
        other.Vpz().append();
        other.field(u"VpzN3"_s)->setAsString(u"Sklad"_s);
        other.Vpz().post();
        other.Disconnect();
        key(form->grid(), Qt::Key_F5);
        QCOMPARE(vpz().recordCount(), 2);
    }

    void emptyTable()
    {
        open();
        form->activateWindow();
        QApplication::sendEvent(form.get(), new QEvent(QEvent::WindowActivate));
        QCOMPARE(position(), at(0, 0));
        key(form->grid(), Qt::Key_PageDown);
        QCOMPARE(vpz().recordCount(), 0);
        QCOMPARE(vpz().state(), data::DatasetState::Browse);
    }

    void closeQuestionAndPosition()
    {
        open({u"Dílna"_s});
        form->move(150, 120);
        editortest::typeInto(form->box(u"N5"_s), u"Brno"_s);
        s->messages.addAnswer(IMessages::Answer::Cancel);
        form->forwardButton()->click();
        QCOMPARE(s->messages.texts(IMessages::Kind::Question),
                 QStringList{u"V tabulce Počet zaměstnanců byly provedeny změny.\nUložit záznam?"_s});
        QVERIFY(form->isVisible());
        QCOMPARE(form->nextKind(), statements::StatementKind::None);

        s->messages.addAnswer(IMessages::Answer::Yes);
        form->forwardButton()->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->nextKind(), statements::StatementKind::Corrections);
        QCOMPARE(s->field(u"VpzN5"_s).asString(), u"Brno"_s);
        QCOMPARE(position(), data::RecordPosition{});
        QVERIFY(vpz().isActive());
        const platform::IniFile ini(s->ini().path);
        QCOMPARE(ini.readInteger(u"D1", u"PocetZamestnancuTop", -1), form->pos().y());
        QCOMPARE(ini.readInteger(u"D1", u"PocetZamestnancuLeft", -1), form->pos().x());
    }

    // A code typed fills the empty municipality and district; a name typed
    // offers the municipalities it begins, and the one chosen gives its code.
    void municipalityListFillsAndOffers()
    {
        open({u"Dílna"_s});
        const QList<statements::Municipality> list = {
            {u"532053"_s, u"Kladno"_s, u"Kladno"_s},
            {u"595209"_s, u"Žďár nad Sázavou"_s, u"Žďár nad Sázavou"_s},
            {u"596230"_s, u"Žďárec"_s, u"Brno-venkov"_s}};
        statements::MunicipalityLookup lookup;
        lookup.byCode = [list](const QString &code) -> std::optional<statements::Municipality> {
            for (const statements::Municipality &m : list)
                if (m.code == code)
                    return m;
            return std::nullopt;
        };
        lookup.byName = [list](const QString &text, int) {
            QList<statements::Municipality> found;
            for (const statements::Municipality &m : list)
                if (m.name.startsWith(u"Žďár"_s) && text.startsWith(u"zd"_s, Qt::CaseInsensitive))
                    found.append(m);
            return found;
        };
        form->setMunicipalities(lookup);

        widgets::TDBEditz *code = form->box(u"N6"_s);
        code->setFocus();
        QTest::keyClicks(code, u"532053"_s);
        QCOMPARE(form->box(u"N5"_s)->text(), u"Kladno"_s);
        QCOMPARE(form->box(u"N7"_s)->text(), u"Kladno"_s);
        key(code, Qt::Key_F9);
        QCOMPARE(s->field(u"VpzN5"_s).asString(), u"Kladno"_s);

        // What the user typed stays.
        key(form->grid(), Qt::Key_Insert);
        widgets::TDBEditz *name = form->box(u"N5"_s);
        name->setFocus();
        QTest::keyClicks(name, u"Zdar"_s);
        QCompleter *offers = form->municipalityCompleter();
        QVERIFY(offers->popup()->isVisible());
        QCOMPARE(offers->completionModel()->rowCount(), 2);
        QCOMPARE(offers->completionModel()->index(0, 0).data().toString(),
                 u"Žďár nad Sázavou, okres Žďár nad Sázavou, kód 595209"_s);
        key(offers->popup(), Qt::Key_Down);
        key(offers->popup(), Qt::Key_Return);
        QCOMPARE(name->text(), u"Žďár nad Sázavou"_s);
        QCOMPARE(form->box(u"N6"_s)->text(), u"595209"_s);
        QCOMPARE(form->box(u"N7"_s)->text(), u"Žďár nad Sázavou"_s);

        form->box(u"N7"_s)->setFocus();
        QTest::keyClicks(form->box(u"N7"_s), u"X"_s);
        code->setFocus();
        code->selectAll();
        QTest::keyClicks(code, u"532053"_s);
        QCOMPARE(name->text(), u"Žďár nad Sázavou"_s);
        QCOMPARE(form->box(u"N7"_s)->text(), u"Žďár nad SázavouX"_s);
    }

    void maximisedKeepsTheSavedPosition()
    {
        open();
        widgets::FormPlace(s->ini(), u"PocetZamestnancu"_s).write(QPoint(33, 44));
        form->showMaximized();
        form->backButton()->click();
        QCOMPARE(form->nextKind(), statements::StatementKind::Employment);
        const platform::IniFile ini(s->ini().path);
        QCOMPARE(ini.readInteger(u"D1", u"PocetZamestnancuTop", -1), 44);
        QCOMPARE(ini.readInteger(u"D1", u"PocetZamestnancuLeft", -1), 33);

        // The next opening starts there.
        TEpzForm again(s->dm, s->messages, s->ini());
        QCOMPARE(again.pos(), QPoint(33, 44));
    }
};

QTEST_MAIN(TestEmployeeCount)
#include "test_employee_count.moc"
