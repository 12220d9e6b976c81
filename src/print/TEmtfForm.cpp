#include "print/TEmtfForm.h"

#include "data/DataError.h"
#include "data/StatusSink.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "platform/HelpIndex.h"
#include "print/PageTree.h"
#include "statements/FilingChecks.h"
#include "widgets/Editz.h"
#include "widgets/HelpRequest.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace print {

namespace {

constexpr int IndexRole = Qt::UserRole;

QPushButton *button(const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    // Enter moves between the boxes; it must never start a print.
    b->setAutoDefault(false);
    return b;
}

// A box of the print parameters; a refused value's message names it by
// `label`, the caption the user reads beside it.
widgets::TDBEditz *numberBox(data::DataSource &source, const QString &field, const QString &label,
                             QWidget *parent)
{
    auto *box = new widgets::TDBEditz(parent);
    box->setField(&source, field);
    box->field()->setDisplayLabel(label);
    box->setMaximumWidth(60);
    return box;
}

} // namespace

TEmtfForm::TEmtfForm(PrintWindowContext context, QWidget *parent)
    : QDialog(parent), m_ctx(context), m_ini(context.iniPath),
      m_run(context.pages, context.preview, context.output, context.messages)
{
    setWindowTitle(u"Tisk"_s);
    setProperty("helpContext", 43);
    setObjectName(u"EmtfForm"_s);

    m_tabs = new QTabWidget(this);
    auto *pages = new QWidget(m_tabs);
    auto *printer = new QWidget(m_tabs);
    m_tabs->addTab(pages, u"Qesto"_s);
    m_tabs->addTab(printer, u"Tiskárna"_s);
    pages->setProperty("helpAnchor", u"tisk-stranky"_s);
    printer->setProperty("helpAnchor", u"tisk-tiskarna"_s);
    buildPagesTab(pages);
    buildPrinterTab(printer);

    m_preview = button(u"&Náhled"_s, this);
    m_print = button(u"&Tisk"_s, this);
    m_pdf = button(u"PDF"_s, this);
    m_pdf->setToolTip(u"Uložit vybranou stránku nebo stránky podle volby Vytisknout do souboru PDF"_s);
    m_xml = button(u"XML"_s, this);
    m_xml->setToolTip(u"Elektronické podání (XML)"_s);
    m_xml->hide();
    auto *close = button(u"&Zavřít"_s, this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_preview);
    buttons->addWidget(m_print);
    buttons->addWidget(m_pdf);
    buttons->addWidget(m_xml);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    connect(m_preview, &QPushButton::clicked, this, &TEmtfForm::VyberTypuNahledVY);
    connect(m_print, &QPushButton::clicked, this, &TEmtfForm::VyberTypuTiskVY);
    connect(m_pdf, &QPushButton::clicked, this, &TEmtfForm::writePdf);
    connect(m_xml, &QPushButton::clicked, this, [this] {
        if (m_electronicFiling)
            m_electronicFiling();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    widgets::setMessages(this, &m_ctx.messages);

    data::TDM1 &dm = m_ctx.dm;
    m_run.parameters = [this] { return parameters(); };
    m_run.printerName = [this] { return m_ctx.printers.currentName(); };
    m_run.beforeProduce = [this] {
        Ulozit1();
        postAndReopen();
    };
    m_run.status = [this](const QString &text) {
        if (m_ctx.status)
            m_ctx.status->message(text);
    };
    m_run.busy = [](bool on) {
        if (on)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    };
    m_run.checks = [this, &dm](const QList<statements::FilingPart> &parts) {
        return statements::checkForFiling(statements::readFilingData(dm, m_ctx.taxYear, m_ctx.municipalities),
                                          parts);
    };
    printerSetupDialog = [](const QString &) { return QString(); };
    pdfFileDialog = [this](const QString &suggested) {
        return QFileDialog::getSaveFileName(this, u"Uložit do PDF"_s, suggested, u"Soubory PDF (*.pdf)"_s);
    };

    completeParameters();
    const QScreen *screen = QGuiApplication::primaryScreen();
    move(loadWindowPosition(m_ini, screen ? screen->geometry().width() : 1024));
    Nacist1();
    selectPage(1);
    m_tree->setFocus();
}

TEmtfForm::~TEmtfForm() = default;

void TEmtfForm::buildPagesTab(QWidget *page)
{
    m_tree = new QTreeWidget(page);
    m_tree->setHeaderHidden(true);
    m_tree->setItemsExpandable(false);
    m_tree->setRootIsDecorated(false);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setMinimumWidth(300);
    QTreeWidgetItem *heading = nullptr;
    for (const PageNode &node : pageTree()) {
        auto *item = node.level == 0 ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(heading);
        if (node.level == 0)
            heading = item;
        item->setText(0, node.caption);
        item->setData(0, IndexRole, node.index);
    }
    m_tree->expandAll();
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
            [](QTreeWidgetItem *item) { item->setExpanded(true); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &TEmtfForm::updateButtons);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &TEmtfForm::showFindings);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (isPageNode(selectedIndex()))
            VyberTypuNahledVY();
    });

    data::TDM1 &dm = m_ctx.dm;
    auto *params = new QGroupBox(u"Parametry tisku"_s, page);
    auto *form = new QFormLayout(params);
    form->addRow(u"Horní okraj"_s, numberBox(dm.DmtSource(), u"Dpt"_s, u"Horní okraj"_s, params));
    form->addRow(u"Levý okraj"_s, numberBox(dm.DmtSource(), u"Dpl"_s, u"Levý okraj"_s, params));
    form->addRow(u"Počet kopií"_s, numberBox(dm.DmtSource(), u"Kop"_s, u"Počet kopií"_s, params));
    auto *pk = new widgets::TDBCheckBoxz(u"Podpora tisku více kopií"_s, params);
    pk->setField(&dm.DmtSource(), u"Pk"_s);
    form->addRow(pk);
    auto *prh1 = new widgets::TDBCheckBoxz(u"Procházet stránky v náhledu"_s, params);
    prh1->setField(&dm.DmtSource(), u"Prh1"_s);
    form->addRow(prh1);
    auto *trh1 = new widgets::TDBComboBoxz(params);
    trh1->setObjectName(u"Trh1"_s);
    trh1->addItems(pageSetTexts());
    trh1->setField(&dm.DmtSource(), u"Trh1"_s);
    form->addRow(u"Vytisknout"_s, trh1);
    // In the words of the statements' last pages, which print these counts.
    const QString annexes = u"Počet příloh k vyúčtování daně z příjmů ze závislé činnosti"_s;
    const QString withheld = u"Počet příloh k vyúčtování daně vybírané srážkou"_s;
    form->addRow(annexes, numberBox(dm.PrpSource(), u"Op"_s, annexes, params));
    form->addRow(withheld, numberBox(dm.PrpSource(), u"Ops"_s, withheld, params));

    auto *f6 = new QGroupBox(u"Klávesa F6"_s, page);
    m_f6Preview = new QRadioButton(u"Náhled"_s, f6);
    m_f6Print = new QRadioButton(u"Tisk"_s, f6);
    m_f6Preview->setObjectName(u"F6Nahled"_s);
    m_f6Print->setObjectName(u"F6Tisk"_s);
    auto *f6Layout = new QHBoxLayout(f6);
    f6Layout->addWidget(m_f6Preview);
    f6Layout->addWidget(m_f6Print);

    auto *fonts = new QGroupBox(u"Typ písma v tisku"_s, page);
    m_fontPlain = new QRadioButton(u"Arial, Courier New, Times New Roman"_s, fonts);
    m_fontCe = new QRadioButton(u"Arial CE, Courier New CE, Times New Roman CE"_s, fonts);
    m_fontPlain->setObjectName(u"Pismo0"_s);
    m_fontCe->setObjectName(u"Pismo1"_s);
    auto *fontLayout = new QVBoxLayout(fonts);
    fontLayout->addWidget(m_fontPlain);
    fontLayout->addWidget(m_fontCe);
    fontLayout->addWidget(
        new QLabel(u"Po změně typu písma zavřete a znovu\notevřete okno s tiskem."_s, fonts));

    auto *right = new QVBoxLayout;
    right->addWidget(params);
    right->addWidget(f6);
    right->addWidget(fonts);
    right->addStretch();
    m_findings = new QListWidget(page);
    m_findings->setObjectName(u"ListKontrola"_s);
    m_findings->setWordWrap(true);
    m_findings->setToolTip(u"Vysvětlení hlášení: dvojklik nebo F1"_s);
    m_findings->setProperty("helpAnchor", u"tisk-kontroly"_s);
    widgets::helpOnDoubleClick(m_findings);
    auto *findingsLabel = new QLabel(u"&Kontrola před podáním:"_s, page);
    findingsLabel->setBuddy(m_findings);
    auto *left = new QVBoxLayout;
    left->addWidget(m_tree, 3);
    left->addWidget(findingsLabel);
    left->addWidget(m_findings, 1);
    auto *layout = new QHBoxLayout(page);
    layout->addLayout(left, 1);
    layout->addLayout(right);
}

void TEmtfForm::buildPrinterTab(QWidget *page)
{
    m_printerBox = new QComboBox(page);
    m_printerBox->addItems(m_ctx.printers.names);
    m_defaultPrinter = new QCheckBox(u"Při otevření firmy nastavit tiskárnu na výchozí"_s, page);
    m_defaultPrinter->setObjectName(u"Vychozi"_s);
    auto *setup = button(u"Nastav&ení tiskárny"_s, page);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"Výběr tiskárny pro tisk:"_s, page));
    layout->addWidget(m_printerBox);
    layout->addWidget(m_defaultPrinter);
    layout->addWidget(setup, 0, Qt::AlignLeft);
    layout->addStretch();

    connect(m_printerBox, &QComboBox::activated, this, [this](int index) {
        Ulozit1();
        choosePrinter(m_ctx.printers, index, m_ini);
        syncPrinterBox();
    });
    connect(setup, &QPushButton::clicked, this, [this] {
        Ulozit1();
        VyberTisk1(1);
    });
}

void TEmtfForm::selectPage(int index)
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if ((*it)->data(0, IndexRole).toInt() == index) {
            m_tree->setCurrentItem(*it);
            return;
        }
    }
}

int TEmtfForm::selectedIndex() const
{
    const QTreeWidgetItem *item = m_tree->currentItem();
    return item ? item->data(0, IndexRole).toInt() : -1;
}

void TEmtfForm::updateButtons()
{
    const bool page = isPageNode(selectedIndex());
    m_preview->setEnabled(page);
    m_print->setEnabled(page);
    m_pdf->setEnabled(page);
}

void TEmtfForm::showFindings()
{
    m_findings->clear();
    const PageGroup *group = pageGroup(selectedIndex());
    if (!group || !m_run.checks)
        return;
    QList<statements::FilingIssue> issues;
    try {
        issues = m_run.checks({group->part});
    } catch (const platform::Error &e) {
        m_findings->addItem(e.message());
        return;
    }
    for (const statements::FilingIssue &issue : std::as_const(issues)) {
        auto *item = new QListWidgetItem(issue.text, m_findings);
        item->setData(platform::HelpAnchorRole, statements::filingCheckAnchor(issue.check));
    }
    if (issues.isEmpty())
        m_findings->addItem(u"Kontrola nenašla nic, kvůli čemu by finanční úřad vyúčtování vrátil."_s);
}

void TEmtfForm::syncPrinterBox()
{
    m_printerBox->setCurrentIndex(m_ctx.printers.current);
}

void TEmtfForm::Nacist1()
{
    const PrintWindowSettings s = loadPrintSettings(m_ini);
    (s.f6Prints ? m_f6Print : m_f6Preview)->setChecked(true);
    m_defaultPrinter->setChecked(s.defaultPrinter);
    (m_ctx.fontFamily == 1 ? m_fontCe : m_fontPlain)->setChecked(true);
    VyberTisk1(2);
}

void TEmtfForm::Ulozit1()
{
    PrintWindowSettings s;
    s.f6Prints = m_f6Print->isChecked();
    s.defaultPrinter = m_defaultPrinter->isChecked();
    // Printing goes on from a folder that cannot be written.
    platform::writeIfPossible([&] { savePrintSettings(m_ini, s, m_ctx.printers); });
    m_ctx.fontFamily = m_fontCe->isChecked() ? 1 : 0;
}

void TEmtfForm::VyberTisk1(int mode)
{
    applyStoredPrinter(m_ctx.printers, m_ini, m_ctx.printerSource.defaultPrinterName());
    if (mode == 1) {
        const QString chosen =
            printerSetupDialog ? printerSetupDialog(m_ctx.printers.currentName()) : QString();
        if (!chosen.isEmpty())
            afterPrinterSetup(m_ctx.printers, chosen, m_ctx.printerSource.printerNames(), m_ini);
    }
    syncPrinterBox();
}

PrintParameters TEmtfForm::parameters() const
{
    data::TDM1 &dm = m_ctx.dm;
    PrintParameters p;
    p.copies = dm.fieldAs(u"DmtKop"_s).asInteger();
    p.printerCopies = dm.fieldAs(u"DmtPk"_s).asBoolean();
    p.browse = dm.fieldAs(u"DmtPrh1"_s).asBoolean();
    p.pageSet = dm.fieldAs(u"DmtTrh1"_s).asString();
    return p;
}

// A settlement made from empty templates has no print parameters at all,
// and its empty copy count would refuse every later post of them.
void TEmtfForm::completeParameters()
{
    data::Dataset &dmt = m_ctx.dm.Dmt();
    data::Field &kop = m_ctx.dm.fieldAs(u"DmtKop"_s);
    data::Field &trh1 = m_ctx.dm.fieldAs(u"DmtTrh1"_s);
    if (!dmt.isActive() || (kop.asInteger() >= 1 && !trh1.asString().isEmpty()))
        return;
    try {
        dmt.edit();
        if (kop.asInteger() < 1)
            kop.setAsInteger(1);
        if (trh1.asString().isEmpty())
            trh1.setAsString(PageSetSelected);
        dmt.post();
    } catch (const platform::Error &e) {
        dmt.cancel();
        m_ctx.messages.error(e.message());
    }
}

// What the user typed into the print parameters is committed before a page
// is made from them, and the tables read afresh.
void TEmtfForm::postAndReopen()
{
    data::TDM1 &dm = m_ctx.dm;
    for (data::Dataset *ds : {&dm.Dmt(), &dm.Prp()}) {
        if (ds->isEditing())
            ds->post();
        ds->close();
        dm.openTable(*ds);
    }
}

// The parameters are posted first; a value they refuse (an emptied copy
// count) is reported with the field's message and the window stays.
void TEmtfForm::runDisabled(const std::function<void()> &action)
{
    m_preview->setEnabled(false);
    m_print->setEnabled(false);
    m_pdf->setEnabled(false);
    try {
        action();
    } catch (const platform::Error &e) {
        m_ctx.messages.error(e.message());
    }
    updateButtons();
}

void TEmtfForm::VyberTypuNahledVY()
{
    const int index = selectedIndex();
    runDisabled([&] { m_run.VyberTypuNahledVY(index); });
}

void TEmtfForm::VyberTypuTiskVY()
{
    const int index = selectedIndex();
    runDisabled([&] { m_run.VyberTypuTiskVY(index); });
}

QString TEmtfForm::companyName() const
{
    data::TDM1 &dm = m_ctx.dm;
    const auto text = [&dm](const QString &name) { return dm.fieldAs(name).asString().trimmed(); };
    QString name = QString(text(u"PrpOjv"_s) + u' ' + text(u"PrpOjva"_s)).trimmed();
    if (name.isEmpty())
        name = QString(text(u"PrpPrk"_s) + u' ' + text(u"PrpJmd"_s)).trimmed();
    if (name.isEmpty())
        name = text(u"PrpNpd"_s);
    return name;
}

void TEmtfForm::writePdf()
{
    const int index = selectedIndex();
    if (!isPageNode(index) || !pdfFileDialog)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString path = pdfFileDialog(QDir(folder).filePath(defaultPdfName(companyName(), index)));
    if (path.isEmpty())
        return;
    if (!path.endsWith(u".pdf"_s, Qt::CaseInsensitive))
        path += u".pdf"_s;
    runDisabled([&] { m_run.writePdf(index, path); });
}

void TEmtfForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F6 && event->modifiers() == Qt::NoModifier) {
        if (m_tabs->currentIndex() == 0 && isPageNode(selectedIndex())) {
            if (m_f6Print->isChecked())
                VyberTypuTiskVY();
            else
                VyberTypuNahledVY();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TEmtfForm::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        saveWindowPosition(m_ini, pos());
        Ulozit1();
        try {
            postAndReopen();
        } catch (const platform::Error &e) {
            m_ctx.messages.error(e.message());
        }
    }
    QDialog::done(result);
}

void TEmtfForm::setElectronicFiling(std::function<void()> open)
{
    m_electronicFiling = std::move(open);
    m_xml->setVisible(bool(m_electronicFiling));
}

} // namespace print
