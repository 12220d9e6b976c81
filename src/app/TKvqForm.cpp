#include "app/TKvqForm.h"

#include "platform/Error.h"
#include "platform/HelpIndex.h"
#include "platform/Messages.h"
#include "registry/RegistryHooks.h"
#include "registry/SettlementList.h"
#include "widgets/HelpRequest.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace app {

namespace {

constexpr int CheckAllHelpContext = 48;

} // namespace

TKvqForm::TKvqForm(CheckAllContext context, QWidget *parent) : QDialog(parent), m_ctx(context)
{
    setObjectName(u"KvqForm"_s);
    setWindowTitle(u"Kontrola všech Qesto"_s);
    setProperty("helpContext", CheckAllHelpContext);
    setProperty("helpAnchor", u"kontroly-vsech"_s);
    m_chooseFolder = [this](const QString &start) {
        return QFileDialog::getExistingDirectory(this, u"Adresář pro soubory"_s, start);
    };

    m_grid = new QTableWidget(0, ColumnCount, this);
    m_grid->setObjectName(u"GridQesto"_s);
    m_grid->setHorizontalHeaderLabels({u"Číslo"_s, u"Název"_s, u"Firma"_s, u"Kontrola"_s, u"Soubor"_s});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setToolTip(u"Otevřít Qesto - dvojklik nebo Enter"_s);
    m_grid->setMinimumSize(640, 220);
    connect(m_grid, &QTableWidget::itemSelectionChanged, this, &TKvqForm::showFindings);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { openSelected(); });
    auto *gridLabel = new QLabel(u"&Qesto v datovém adresáři:"_s, this);
    gridLabel->setBuddy(m_grid);

    m_findings = new QListWidget(this);
    m_findings->setObjectName(u"ListKontrola"_s);
    m_findings->setWordWrap(true);
    m_findings->setToolTip(u"Vysvětlení hlášení: dvojklik nebo F1"_s);
    widgets::helpOnDoubleClick(m_findings);
    auto *findingsLabel = new QLabel(u"&Nálezy vybraného Qesto:"_s, this);
    findingsLabel->setBuddy(m_findings);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(u"Prubeh"_s);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_status = new QLabel(this);
    m_status->setObjectName(u"Stav"_s);
    m_status->setWordWrap(true);

    const auto addButton = [this](const QString &caption, const QString &hint, auto slot) {
        auto *b = new QPushButton(caption, this);
        b->setToolTip(hint);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        m_buttons.append(b);
        return b;
    };
    QPushButton *open = addButton(u"&Otevřít"_s, u"Otevře vybrané Qesto"_s, [this] { openSelected(); });
    open->setDefault(true);
    addButton(u"&Kontrolovat"_s, u"Zkontroluje všechna Qesto znovu"_s, [this] { checkAll(true); });
    addButton(u"&PDF všech..."_s, u"Vytiskne všechna Qesto do souborů PDF"_s,
              [this] { writeAll(settlement::BatchKind::Pdf); });
    addButton(u"&XML všech..."_s, u"Elektronické podání všech Qesto do souborů XML"_s,
              [this] { writeAll(settlement::BatchKind::Xml); });
    m_withholding = new QCheckBox(u"XML vyúčtování daně vybírané &srážkou"_s, this);
    m_withholding->setObjectName(u"CheckBoxSrazkou"_s);
    m_withholding->setToolTip(u"Zaškrtnuto: soubory XML vyúčtování daně vybírané srážkou"_s);
    m_cancel =
        addButton(u"Př&erušit"_s, u"Přeruší práci po právě zpracovávaném Qesto"_s, [this] { cancelRun(); });
    QPushButton *closeButton = addButton(u"&Zavřít"_s, u"Zavře okno"_s, [this] { close(); });

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : std::as_const(m_buttons)) {
        if (b == m_cancel) {
            buttons->addWidget(m_withholding);
            buttons->addSpacing(12);
        }
        if (b == closeButton)
            buttons->addStretch();
        buttons->addWidget(b);
    }
    auto *left = new QVBoxLayout;
    left->addWidget(gridLabel);
    left->addWidget(m_grid, 3);
    left->addWidget(findingsLabel);
    left->addWidget(m_findings, 2);
    left->addWidget(m_progress);
    left->addWidget(m_status);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    updateButtons();
}

TKvqForm::~TKvqForm() = default;

QPushButton *TKvqForm::button(const QString &caption) const
{
    for (QPushButton *b : m_buttons)
        if (b->text() == caption)
            return b;
    return nullptr;
}

void TKvqForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_checkedOnce)
        return;
    m_checkedOnce = true;
    fillGrid();
    m_grid->setFocus();
    // The window is on the screen before the first settlement is opened,
    // so the progress can be seen. Nobody is asked for passwords unasked.
    QTimer::singleShot(0, this, [this] { checkAll(false); });
}

void TKvqForm::fillGrid()
{
    m_ctx.list.refresh();
    m_grid->setRowCount(0);
    const QList<registry::Settlement> &entries = m_ctx.list.entries();
    m_grid->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const registry::Settlement &s = entries[row];
        const QStringList cells = {QString::number(s.Cislo), s.Nazev, QString(), QString(), QString()};
        for (int col = 0; col < ColumnCount; ++col)
            m_grid->setItem(row, col, new QTableWidgetItem(cells[col]));
        m_grid->item(row, ColCislo)->setData(Qt::UserRole, s.Cislo);
    }
    if (!entries.isEmpty())
        m_grid->selectRow(0);
}

int TKvqForm::rowOf(int cislo) const
{
    for (int row = 0; row < m_grid->rowCount(); ++row)
        if (m_grid->item(row, ColCislo)->data(Qt::UserRole).toInt() == cislo)
            return row;
    return -1;
}

int TKvqForm::selectedNumber() const
{
    const int row = m_grid->currentRow();
    return row < 0 ? 0 : m_grid->item(row, ColCislo)->data(Qt::UserRole).toInt();
}

void TKvqForm::showOutcome(const settlement::BatchOutcome &outcome, settlement::BatchKind kind)
{
    int row = rowOf(outcome.entry.Cislo);
    if (row < 0) {
        // Another computer added it since the window was filled.
        row = m_grid->rowCount();
        m_grid->insertRow(row);
        for (int col = 0; col < ColumnCount; ++col)
            m_grid->setItem(row, col, new QTableWidgetItem);
        m_grid->item(row, ColCislo)->setText(QString::number(outcome.entry.Cislo));
        m_grid->item(row, ColCislo)->setData(Qt::UserRole, outcome.entry.Cislo);
    }
    m_grid->item(row, ColNazev)->setText(outcome.entry.Nazev);
    if (!outcome.company.isEmpty())
        m_grid->item(row, ColFirma)->setText(outcome.company);
    const bool check = kind == settlement::BatchKind::Check;
    m_grid->item(row, check ? ColKontrola : ColSoubor)->setText(outcome.result);
    (check ? m_checks : m_files).insert(outcome.entry.Cislo, outcome);
    if (row == m_grid->currentRow())
        showFindings();
}

void TKvqForm::showFindings()
{
    m_findings->clear();
    const int cislo = selectedNumber();
    const auto addLines = [this](const settlement::BatchOutcome &outcome) {
        for (const statements::FilingIssue &issue : outcome.findings) {
            auto *item = new QListWidgetItem(issue.text, m_findings);
            item->setData(platform::HelpAnchorRole, statements::filingCheckAnchor(issue.check));
        }
        for (const QString &line : outcome.details)
            m_findings->addItem(line);
    };
    if (const auto check = m_checks.constFind(cislo); check != m_checks.cend()) {
        if (check->status == settlement::BatchOutcome::Status::Ok)
            m_findings->addItem(u"Kontrola nenašla nic, kvůli čemu by finanční úřad vyúčtování vrátil."_s);
        else if (check->findings.isEmpty())
            m_findings->addItem(check->result);
        addLines(*check);
    }
    if (const auto file = m_files.constFind(cislo); file != m_files.cend()) {
        m_findings->addItem(file->result);
        addLines(*file);
    }
}

std::optional<QString> TKvqForm::passwordFor(const registry::Settlement &entry, bool ask)
{
    if (const auto known = m_passwords.constFind(entry.Cislo); known != m_passwords.cend())
        return *known;
    if (!ask)
        return std::nullopt;
    // The prompt names nothing: the settlement it asks for is the one
    // selected and named below the list.
    if (const int row = rowOf(entry.Cislo); row >= 0)
        m_grid->selectRow(row);
    m_status->setText(u"Zadejte heslo pro Qesto %1 %2."_s.arg(entry.Cislo).arg(entry.Nazev));
    const QString typed = m_ctx.prompt.askPassword();
    if (typed.isEmpty())
        return std::nullopt;
    if (m_ctx.list.checkPassword(entry.Cislo, typed))
        m_passwords.insert(entry.Cislo, typed);
    return typed;
}

settlement::BatchSummary TKvqForm::run(const settlement::BatchOptions &options, bool askPasswords)
{
    m_running = true;
    m_cancelled = false;
    updateButtons();
    settlement::RootBatch batch(m_ctx.list);
    batch.setPasswords(
        [this, askPasswords](const registry::Settlement &entry) { return passwordFor(entry, askPasswords); });
    batch.setProgress([this](int index, int count, const registry::Settlement &entry) {
        m_progress->setRange(0, count);
        m_progress->setValue(index);
        m_status->setText(
            u"Qesto %1 z %2: %3 %4"_s.arg(index + 1).arg(count).arg(entry.Cislo).arg(entry.Nazev));
        emit progressed(index, count);
        // No thread of its own: the window answers "Přerušit" between two
        // settlements.
        QCoreApplication::processEvents();
        return !m_cancelled;
    });
    batch.setOutcome(
        [this, kind = options.kind](const settlement::BatchOutcome &outcome) { showOutcome(outcome, kind); });
    settlement::BatchSummary summary;
    try {
        summary = batch.run(options);
    } catch (const platform::Error &e) {
        summary.error = e.message();
    }
    m_progress->setRange(0, qMax(1, summary.total));
    m_progress->setValue(summary.done);
    m_status->setText(summary.error.isEmpty() ? summary.text() : summary.error);
    m_running = false;
    updateButtons();
    showFindings();
    if (m_closeAfterRun)
        QTimer::singleShot(0, this, [this] { reject(); });
    return summary;
}

void TKvqForm::checkAll(bool askPasswords)
{
    if (m_running)
        return;
    const settlement::BatchSummary summary = run({}, askPasswords);
    if (!summary.error.isEmpty())
        m_ctx.messages.error(summary.error);
    else if (summary.cancelled)
        m_ctx.messages.information(summary.text());
}

void TKvqForm::writeAll(settlement::BatchKind kind)
{
    if (m_running)
        return;
    const QString folder = m_chooseFolder(m_ctx.folder);
    if (folder.isEmpty())
        return;
    m_ctx.folder = folder;
    settlement::BatchOptions options;
    options.kind = kind;
    options.outDir = QDir::cleanPath(folder);
    options.withholding = m_withholding->isChecked();
    options.centralEuropeanFonts = m_ctx.centralEuropeanFonts;
    const settlement::BatchSummary summary = run(options, true);
    if (!summary.error.isEmpty()) {
        m_ctx.messages.error(summary.error);
        return;
    }
    QString text = summary.text();
    if (summary.ok > 0)
        text += u"\n\nSoubory jsou v adresáři "_s + QDir::toNativeSeparators(options.outDir) + u'.';
    m_ctx.messages.information(text);
}

void TKvqForm::openSelected()
{
    if (m_running)
        return;
    m_chosen = selectedNumber();
    if (m_chosen)
        accept();
}

void TKvqForm::reject()
{
    // Escape during a run stops the run, not the window.
    if (m_running) {
        m_cancelled = true;
        return;
    }
    m_chosen = 0;
    QDialog::reject();
}

void TKvqForm::closeEvent(QCloseEvent *event)
{
    // "&Zavřít" or the title bar during a run: the window closes after the
    // settlement being worked on.
    if (m_running) {
        m_cancelled = true;
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TKvqForm::updateButtons()
{
    for (QPushButton *b : std::as_const(m_buttons))
        b->setEnabled(b == m_cancel ? m_running : !m_running || b->text() == u"&Zavřít");
    m_withholding->setEnabled(!m_running);
}

} // namespace app
