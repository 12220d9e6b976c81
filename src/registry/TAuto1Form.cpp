#include "registry/TAuto1Form.h"

#include "platform/Messages.h"
#include "registry/RegistryWidgets.h"
#include "registry/SettlementModel.h"
#include "registry/TAu1Form.h"
#include "registry/TAu2Form.h"
#include "registry/TAu3Form.h"
#include "registry/TAu5Form.h"
#include "registry/TAu6Form.h"
#include "registry/TAu9Form.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace registry {

TAuto1Form::TAuto1Form(SettlementList &list, platform::IMessages &messages, IPasswordPrompt &prompt,
                       const QString &mainCaption, IRegistryHooks *hooks, QWidget *parent)
    : QDialog(parent), m_list(list), m_messages(messages), m_prompt(prompt), m_hooks(hooks)
{
    setWindowTitle(mainCaption + u" - výběr"_s);
    setProperty("helpContext", 40);
    hint(this, u"Výběr práce s daty Ctrl + N"_s);

    m_model = new SettlementModel(list, this);
    m_grid = new QTableView(this);
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setColumnWidth(0, 60);
    m_grid->setColumnWidth(1, 200);
    m_grid->setMinimumSize(400, 260);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    hint(m_grid, u"Změna pořadí - pravé tlačítko myši"_s);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &index) {
                if (index.isValid())
                    m_list.setCurrentIndex(index.row());
            });
    connect(m_grid, &QTableView::doubleClicked, this, [this] {
        if (!m_quitting)
            accept();
    });

    auto *menu = new QMenu(this);
    auto *group = new QActionGroup(this);
    const auto ordering = [&](const QString &caption, Razeni razeni) {
        QAction *a = menu->addAction(caption);
        a->setCheckable(true);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, razeni] { applyRazeni(razeni); });
        return a;
    };
    m_byOwn = ordering(u"Řazení - &vlastní"_s, Razeni::Vlastni);
    m_byNumber = ordering(u"Řazení - &automaticky"_s, Razeni::Automaticky);
    m_byName = ordering(u"Řazení - podle ná&zvu"_s, Razeni::PodleNazvu);
    menu->addSeparator();
    m_positions = menu->addAction(u"Změnit &pozice Qesto"_s);
    m_positions->setStatusTip(u"Stiskněte, pokud chcete změnit pořadí"_s);
    connect(m_positions, &QAction::triggered, this, &TAuto1Form::changePositions);
    menu->addSeparator();
    m_clearOwn = menu->addAction(u"Vymazat vlastní &nastavení"_s);
    m_clearOwn->setStatusTip(u"Vymazat vlastní nastavení"_s);
    connect(m_clearOwn, &QAction::triggered, this, [this] {
        m_list.clearOwnOrder();
        reload();
    });
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint &pos) { menu->popup(m_grid->viewport()->mapToGlobal(pos)); });

    const auto addButton = [this](const QString &caption, const QString &text, auto slot) {
        auto *b = new QPushButton(caption, this);
        hint(b, text);
        // Enter presses the button that has the focus; in the grid it
        // presses "&Otevřít", the default.
        b->setAutoDefault(true);
        connect(b, &QPushButton::clicked, this, slot);
        m_buttons.append(b);
        return b;
    };
    QPushButton *open = addButton(u"&Otevřít"_s, u"Otevře vybrané Qesto"_s, [this] { accept(); });
    open->setDefault(true);
    addButton(u"Ná&zev"_s, u"Název Qesto"_s, [this] { renameSettlement(); });
    addButton(u"&Nové"_s, u"Vytvoření nového Qesto"_s, [this] { newSettlement(); });
    addButton(u"&Smazat"_s, u"Smazání vybraného Qesto"_s, [this] { deleteSettlement(); });
    m_showLast = new QCheckBox(u"Zobrazovat"_s, this);
    hint(m_showLast, u"Zobrazovat naposledy zpracovávané Qesto"_s);
    m_showLast->setChecked(true);
    addButton(u"&Heslo"_s, u"Možnost zadat heslo pro Qesto"_s, [this] { passwordSettlement(); });
    addButton(u"&Konec"_s, u"Ukončí aplikaci"_s, [this] { done(Konec); });

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_grid, 0, 0, 8, 1);
    int row = 0;
    for (QPushButton *b : std::as_const(m_buttons)) {
        layout->addWidget(b, row++, 1);
        if (b->text() == u"&Smazat"_s)
            layout->addWidget(m_showLast, row++, 1);
    }
    layout->setRowStretch(row, 1);

    // Ctrl alone: Ctrl+Shift+N and the like mean nothing here.
    const auto key = [this](QKeySequence seq, void (TAuto1Form::*slot)()) {
        auto *s = new QShortcut(seq, this);
        connect(s, &QShortcut::activated, this, slot);
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_N), &TAuto1Form::chooseDataWork);
    key(QKeySequence(Qt::CTRL | Qt::Key_I), &TAuto1Form::showInformation);
    key(QKeySequence(Qt::CTRL | Qt::Key_P), &TAuto1Form::rearmConversion);

    fixAndCentre(this);
    m_list.attach();
}

TAuto1Form::~TAuto1Form() = default;

QPushButton *TAuto1Form::button(const QString &caption) const
{
    for (QPushButton *b : m_buttons) {
        if (b->text() == caption)
            return b;
    }
    return nullptr;
}

QList<QAction *> TAuto1Form::orderingActions() const
{
    return {m_byOwn, m_byNumber, m_byName};
}

void TAuto1Form::reload()
{
    m_model->reload();
    const int row = m_list.currentIndex();
    if (row >= 0)
        m_grid->selectRow(row);
    syncOrderingMenu();
}

void TAuto1Form::syncOrderingMenu()
{
    switch (m_list.razeni()) {
    case Razeni::Vlastni:
        m_byOwn->setChecked(true);
        break;
    case Razeni::Automaticky:
        m_byNumber->setChecked(true);
        break;
    case Razeni::PodleNazvu:
        m_byName->setChecked(true);
        break;
    }
}

void TAuto1Form::applyRazeni(Razeni razeni)
{
    m_list.setRazeni(razeni, true);
    reload();
}

void TAuto1Form::focusGrid()
{
    m_grid->setFocus();
}

void TAuto1Form::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_quitting = false;
    m_list.prepareShow();
    m_showLast->setChecked(m_list.showLast());
    reload();
    if (m_list.isEmpty())
        button(u"&Nové"_s)->setFocus();
    else
        focusGrid();
}

void TAuto1Form::closeEvent(QCloseEvent *event)
{
    // The title bar button opens the selected settlement, as "&Otevřít" does.
    event->ignore();
    accept();
}

void TAuto1Form::reject()
{
    // Escape has no meaning here: only "&Konec" ends the program.
}

void TAuto1Form::done(int result)
{
    // An empty list has nothing to open: say so and stay.
    if (result == Otevrit && (!m_list.requireEntry() || !m_list.confirmOpen(m_prompt))) {
        focusGrid();
        return;
    }
    m_list.setShowLast(m_showLast->isChecked());
    m_list.finishShow();
    QDialog::done(result);
}

void TAuto1Form::newSettlement()
{
    const NewSettlement draft = m_list.prepareNew();
    reload();
    TAu2Form dialog(m_list, draft, m_messages, this);
    if (dialog.exec() == QDialog::Accepted) {
        reload();
        accept();
        return;
    }
    m_list.cancelNew(draft);
    reload();
    focusGrid();
}

void TAuto1Form::renameSettlement()
{
    if (m_list.requireEntry()) {
        TAu1Form dialog(m_list, this);
        dialog.exec();
        reload();
    }
    focusGrid();
}

void TAuto1Form::passwordSettlement()
{
    if (m_list.requireEntry()) {
        TAu3Form dialog(m_list, this);
        dialog.exec();
    }
    focusGrid();
}

void TAuto1Form::deleteSettlement()
{
    m_list.removeCurrent(m_prompt);
    reload();
    focusGrid();
}

void TAuto1Form::changePositions()
{
    if (!m_list.requireEntry())
        return;
    const QStringList lines = m_list.positionLines();
    TAu6Form dialog(lines, m_list.currentIndex(), this);
    reload();
    dialog.exec();
    m_list.storePositions(dialog.lines());
    reload();
}

void TAuto1Form::chooseDataWork()
{
    TAu5Form dialog(m_list.roots(), m_messages, m_list, m_hooks, this);
    dialog.exec();
    reload();
    focusGrid();
}

void TAuto1Form::showInformation()
{
    TAu9Form dialog(m_info ? m_info() : InfoPaths{}, this);
    dialog.exec();
}

void TAuto1Form::rearmConversion()
{
    if (m_list.rearmConversion()) {
        m_quitting = true;
        done(Konec);
    }
}

} // namespace registry
