#include "backup/TExdForm.h"

#include "backup/TExd2Form.h"
#include "data/TDM1.h"
#include "platform/FileOps.h"
#include "platform/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace backup {

namespace {

constexpr int ProgressMax = 65;
constexpr int ProgressStep = 6;

bool isEnter(const QEvent *event, bool *shift)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    *shift = key->modifiers().testFlag(Qt::ShiftModifier);
    return true;
}

} // namespace

ArchiveWindow::ArchiveWindow(ArchivePlaces::Kind kind, const IPathTemplates &templates, SettlementPlace place,
                             ArchiveWindowContext context, QWidget *parent)
    : QDialog(parent), m_places(kind, templates, std::move(place), *context.messages),
      m_context(std::move(context)),
      m_place(m_context.ini, kind == ArchivePlaces::Kind::Backup ? u"ZalohovaniDat"_s : u"ObnoveniDat"_s)
{
    const bool backup = kind == ArchivePlaces::Kind::Backup;
    setWindowTitle(backup ? u"Zálohování dat"_s : u"Obnovení dat"_s);
    setProperty("helpContext", backup ? 36 : 53);
    setObjectName(backup ? u"ExdForm"_s : u"Exd1Form"_s);

    auto *layout = new QGridLayout(this);
    m_pathBox = new QComboBox(this);
    m_pathBox->setEditable(true);
    m_pathBox->setInsertPolicy(QComboBox::NoInsert);
    m_pathBox->setMinimumWidth(520);
    m_pathBox->setToolTip(backup ? u"cesta s názvem souboru pro zálohování dat"_s
                                 : u"cesta s názvem souboru pro obnovení dat"_s);
    layout->addWidget(m_pathBox, 0, 0, 1, 5);
    m_fullPath = new QLineEdit(this);
    m_fullPath->setReadOnly(true);
    m_fullPath->setToolTip(u"Kompletní cesta - např. pro kopírování (Ctrl + C)"_s);
    layout->addWidget(m_fullPath, 1, 0, 1, 5);

    const QString disk = backup ? u"Nastaví výchozí cestu pro zálohování na pevný disk"_s
                                : u"Nastaví výchozí cestu pro obnovení z pevného disku"_s;
    const QString medium = backup ? u"Nastaví výchozí cestu pro zálohování na výměnné médium"_s
                                  : u"Nastaví výchozí cestu pro obnovení z výměnného média"_s;
    const QList<std::pair<QString, QString>> buttons{{u"Adresář &dat"_s, disk},
                                                     {u"Adresář &uživatele"_s, disk},
                                                     {u"Výměnné &médium"_s, medium},
                                                     {u"Vlastní &nastavení"_s, {}}};
    for (int i = 0; i < buttons.size(); ++i) {
        auto *button = new QPushButton(buttons[i].first, this);
        button->setToolTip(buttons[i].second);
        button->setAutoDefault(false);
        layout->addWidget(button, 2, i);
        m_locations.append(button);
        if (i < 3) {
            // The buttons stand in the order of the places.
            const auto place = platform::BackupPlace(i + int(platform::BackupPlace::DataFolder));
            connect(button, &QPushButton::clicked, this, [this, place] { location(place); });
        }
    }
    connect(m_locations[3], &QPushButton::clicked, this, [this] { custom(false); });
    m_customMenu = new QMenu(this);
    m_customMenu->addAction(u"Vlastní &nastavení"_s, this, [this] { custom(true); });
    m_customMenu->addAction(u"Vymazání uložených &cest"_s, this, [this] { erase(false); });
    m_customMenu->addAction(u"Vymazání uložených cest - &ostatní"_s, this, [this] { erase(true); });
    m_locations[3]->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_locations[3], &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_customMenu->popup(m_locations[3]->mapToGlobal(at)); });
    auto *browseButton = new QPushButton(u"..."_s, this);
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
    layout->addWidget(browseButton, 2, 4);

    m_companyName = new QCheckBox(u"v názvu souboru - název firmy"_s, this);
    layout->addWidget(m_companyName, 3, 0, 1, 2);
    m_rebuild = new QCheckBox(u"obnovit indexy"_s, this);
    m_rebuild->setToolTip(u"Před zálohováním obnoví indexy"_s);
    m_rebuild->setVisible(backup);
    layout->addWidget(m_rebuild, 3, 2, 1, 2);

    m_progress = new QProgressBar(this);
    m_progress->setRange(0, ProgressMax);
    m_progress->setTextVisible(false);
    m_progress->hide();
    layout->addWidget(m_progress, 4, 0, 1, 5);

    auto *actions = new QHBoxLayout;
    m_action = new QPushButton(backup ? u"Zálo&hovat"_s : u"&Obnovit"_s, this);
    m_close = new QPushButton(u"&Zavřít"_s, this);
    m_close->setAutoDefault(false);
    actions->addStretch();
    actions->addWidget(m_action);
    actions->addWidget(m_close);
    layout->addLayout(actions, 5, 0, 1, 5);
    connect(m_action, &QPushButton::clicked, this, [this] { runAction(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    connect(m_pathBox, &QComboBox::activated, this, [this] { pathLeft(); });
    m_pathBox->lineEdit()->installEventFilter(this);
    m_companyName->installEventFilter(this);
    connect(m_companyName, &QCheckBox::toggled, this, [this](bool on) { m_places.setCompanyName(on); });
    connect(m_rebuild, &QCheckBox::toggled, this, [this](bool on) { m_places.setRebuildIndexes(on); });

    chooseFolder = [this](const QString &start) {
        TExd2Form chooser(start, m_context.ini, this);
        return chooser.exec() == QDialog::Accepted ? chooser.folder() : QString();
    };
    chooseFile = [this](const QString &dir) {
        const QString filter = u"soubory zip (*.zip);;všechny soubory (*.*)"_s;
        QFileDialog dialog(this, windowTitle(), platform::FileOps::nativePath(dir), filter);
        dialog.setDefaultSuffix(u"zip"_s);
        dialog.setAcceptMode(m_places.kind() == ArchivePlaces::Kind::Backup ? QFileDialog::AcceptSave
                                                                            : QFileDialog::AcceptOpen);
        if (m_places.kind() == ArchivePlaces::Kind::Restore)
            dialog.setFileMode(QFileDialog::ExistingFile);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    };

    m_places.load();
    {
        const QSignalBlocker a(m_companyName), b(m_rebuild);
        m_companyName->setChecked(m_places.companyName());
        m_rebuild->setChecked(m_places.rebuildIndexes());
    }
    showPlaces();
    m_place.restore(this, QPoint(4, 124), QPoint(84, 204));
}

ArchiveWindow::~ArchiveWindow() = default;

QPushButton *ArchiveWindow::locationButton(int kind) const
{
    return kind >= 1 && kind <= m_locations.size() ? m_locations.at(kind - 1) : nullptr;
}

void ArchiveWindow::showPlaces()
{
    const QSignalBlocker block(m_pathBox);
    m_pathBox->clear();
    m_pathBox->addItems(m_places.remembered());
    m_pathBox->setEditText(m_places.pathText());
    m_fullPath->setText(platform::FileOps::nativePath(m_places.fullPath()));
    if (!m_places.fullPathValid())
        m_fullPath->setText(m_places.fullPath());
}

void ArchiveWindow::pathLeft()
{
    if (m_pathBox->currentText() != m_places.pathText())
        m_places.setPathText(m_pathBox->currentText());
    else
        m_places.refresh();
    showPlaces();
}

void ArchiveWindow::location(platform::BackupPlace place)
{
    m_places.setCompanyName(m_companyName->isChecked());
    m_places.chooseLocation(place);
    showPlaces();
}

void ArchiveWindow::custom(bool always)
{
    m_places.setCompanyName(m_companyName->isChecked());
    if (!always && m_places.chooseCustom()) {
        showPlaces();
        return;
    }
    const QString folder = chooseFolder ? chooseFolder(m_places.chooserStart()) : QString();
    if (folder.isEmpty())
        return;
    m_places.setCustomFolder(folder);
    showPlaces();
}

void ArchiveWindow::browse()
{
    pathLeft();
    const QString file = chooseFile ? chooseFile(m_places.fileDialogDir()) : QString();
    if (file.isEmpty())
        return;
    m_places.setChosenFile(file);
    showPlaces();
}

void ArchiveWindow::erase(bool other)
{
    if (m_places.erasePaths(other))
        reject();
}

JobView ArchiveWindow::jobView()
{
    JobView view;
    view.start = [this] {
        m_trace.clear();
        m_progress->setValue(0);
        m_progress->show();
        m_progress->repaint();
    };
    view.step = [this] {
        m_progress->setValue(std::min(ProgressMax, m_progress->value() + ProgressStep));
        m_trace.append(m_progress->value());
        m_progress->repaint();
    };
    view.finish = [this] {
        m_progress->setValue(ProgressMax);
        m_trace.append(ProgressMax);
        m_progress->repaint();
        m_progress->setValue(0);
        m_progress->hide();
    };
    view.busy = m_context.busy;
    view.clearStatus = m_context.clearStatus;
    return view;
}

bool ArchiveWindow::runAction()
{
    pathLeft();
    const bool ok = m_places.kind() == ArchivePlaces::Kind::Backup
                        ? Zalohovat(m_places, *m_context.dm, *m_context.messages, m_context.reopen, jobView())
                        : Obnovit(m_places, *m_context.dm, *m_context.messages, m_context.reopen, jobView());
    if (m_places.kind() == ArchivePlaces::Kind::Restore && m_context.restored)
        m_context.restored();
    showPlaces();
    return ok;
}

void ArchiveWindow::done(int result)
{
    if (!m_closing) {
        m_closing = true;
        m_places.save();
        m_place.save(this);
        platform::FileOps::setCurrentDir(
            QFileInfo(platform::FileOps::resolve(m_places.place().settlementDir)).absolutePath());
    }
    QDialog::done(result);
}

bool ArchiveWindow::eventFilter(QObject *watched, QEvent *event)
{
    bool shift = false;
    if (watched == m_pathBox->lineEdit()) {
        if (event->type() == QEvent::FocusOut)
            pathLeft();
        if (isEnter(event, &shift)) {
            pathLeft();
            (shift ? static_cast<QWidget *>(m_companyName) : m_fullPath)->setFocus();
            return true;
        }
    } else if (watched == m_companyName && isEnter(event, &shift)) {
        (shift ? static_cast<QWidget *>(m_locations[3]) : m_pathBox)->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace backup
