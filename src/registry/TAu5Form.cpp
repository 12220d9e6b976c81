#include "registry/TAu5Form.h"

#include "platform/FileOps.h"
#include "platform/Messages.h"
#include "platform/ProgramFiles.h"
#include "registry/RegistryWidgets.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace registry {

TAu5Form::TAu5Form(DataRoots roots, platform::IMessages &messages, SettlementList &list,
                   IRegistryHooks *hooks, QWidget *parent)
    : QDialog(parent), m_choice(roots, messages, list, hooks), m_messages(messages),
      m_guide(QUrl::fromLocalFile(platform::ProgramFiles::locate(guideFileName())))
{
    setWindowTitle(u"Výběr práce s daty"_s);
    setProperty("helpContext", 41);
    auto *note =
        new QLabel(u"Pouze na prvním počítači proveďte akci kopírovat data pro provoz v síti."_s, this);

    m_drive = new QComboBox(this);
    m_drive->addItems(NetworkChoice::drives());
    const QString fileDirRoot = platform::FileOps::driveRoot(roots.FileDir);
    for (int i = 0; i < m_drive->count(); ++i) {
        if (NetworkChoice::driveRoot(m_drive->itemText(i)).compare(fileDirRoot, Qt::CaseInsensitive) == 0)
            m_drive->setCurrentIndex(i);
    }
    hint(m_drive, u"Výběr disku pro instalaci dat"_s);
    auto *driveLabel = new QLabel(u"Výběr disku:"_s, this);
    driveLabel->setBuddy(m_drive);

    m_directory = newEdit(this);
    m_directory->setText(m_choice.defaultDirectoryName());
    hint(m_directory, u"Výběr adresáře pro instalaci dat"_s);
    auto *dirLabel = new QLabel(u"Výběr adresáře:"_s, this);
    dirLabel->setBuddy(m_directory);

    auto *copy = new QPushButton(u"&Kopírovat data"_s, this);
    hint(copy, u"Kopírovat data pro provoz v síti"_s);
    copy->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this, &TAu5Form::copyData);

    m_local = new QRadioButton(u"Data v datovém adresáři"_s, this);
    hint(m_local, m_local->text());
    const QString networkText =
        u"Data pro provoz v síti - nastavte cestu např. F:\\QESTO"_s + roots.yearTag + u"\\Data.DB"_s;
    m_network = new QRadioButton(networkText, this);
    hint(m_network, networkText);
    (m_choice.network() ? m_network : m_local)->setChecked(true);

    m_path = newEdit(this);
    m_path->setText(m_choice.path());
    hint(m_path, u"Cesta k datovým souborům"_s);
    m_path->setMinimumWidth(320);
    auto *browseButton = new QPushButton(u"..."_s, this);
    hint(browseButton, u"Výběr adresáře"_s);
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, &TAu5Form::browse);

    auto *link = new QLabel(u"<a href=\"guide\">Přečtěte si Návod k instalaci (PDF)</a>"_s, this);
    connect(link, &QLabel::linkActivated, this, &TAu5Form::openGuide);

    auto *ok = new QPushButton(u"&OK"_s, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QGridLayout(this);
    layout->addWidget(note, 0, 0, 1, 3);
    layout->addWidget(driveLabel, 1, 0);
    layout->addWidget(m_drive, 1, 1);
    layout->addWidget(dirLabel, 2, 0);
    layout->addWidget(m_directory, 2, 1);
    layout->addWidget(copy, 2, 2);
    layout->addWidget(m_local, 3, 0, 1, 3);
    layout->addWidget(m_network, 4, 0, 1, 3);
    layout->addWidget(m_path, 5, 0, 1, 2);
    layout->addWidget(browseButton, 5, 2);
    layout->addWidget(link, 6, 0, 1, 2);
    layout->addWidget(ok, 6, 2);
    fixAndCentre(this);
}

void TAu5Form::copyData()
{
    if (!m_choice.copyData(m_drive->currentText(), m_directory->text()))
        return;
    m_network->setChecked(true);
    m_path->setText(m_choice.path());
}

void TAu5Form::browse()
{
    m_choice.setPath(m_path->text());
    const QString start = platform::FileOps::resolve(m_choice.dialogStartDir());
    const QString chosen =
        QFileDialog::getOpenFileName(this, u"Výběr adresáře"_s, QDir(start).filePath(u"Data.DB"_s),
                                     u"datové soubory (Data.DB);;všechny soubory (*)"_s);
    if (chosen.isEmpty())
        return;
    m_path->setText(QDir::toNativeSeparators(chosen));
    m_network->setChecked(true);
}

void TAu5Form::openGuide()
{
    // A guide that is missing or that nothing can show would otherwise leave
    // the click without any answer.
    const QString path = QDir::toNativeSeparators(m_guide.toLocalFile());
    if (m_guide.isLocalFile() && !QFileInfo::exists(m_guide.toLocalFile()))
        m_messages.error(u"Návod k instalaci nebyl nalezen:\n"_s + path);
    else if (!QDesktopServices::openUrl(m_guide))
        m_messages.error(u"Návod k instalaci se nepodařilo otevřít:\n"_s + path);
}

void TAu5Form::done(int result)
{
    m_choice.setNetwork(m_network->isChecked());
    m_choice.setPath(m_path->text());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_choice.apply();
    QApplication::restoreOverrideCursor();
    QDialog::done(result);
}

} // namespace registry
