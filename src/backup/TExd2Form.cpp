#include "backup/TExd2Form.h"

#include "platform/FileOps.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace backup {

TExd2Form::TExd2Form(const QString &start, widgets::SettlementIni ini, QWidget *parent)
    : QDialog(parent), m_place(std::move(ini), u"VlastniAdresar"_s)
{
    setWindowTitle(u"Vlastní výběr adresáře"_s);
    setProperty("helpAnchor", u"zalohovani-adresar"_s);
    auto *layout = new QVBoxLayout(this);
    m_drives = new QComboBox(this);
    for (const QFileInfo &drive : QDir::drives())
        m_drives->addItem(QDir::toNativeSeparators(drive.absoluteFilePath()));
    layout->addWidget(m_drives);

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setRootPath(QString());
    m_tree = new QTreeView(this);
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumSize(360, 320);
    layout->addWidget(m_tree);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(u"&OK"_s, QDialogButtonBox::AcceptRole);
    buttons->addButton(u"&Storno"_s, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_drives, &QComboBox::activated, this, [this] { setFolder(m_drives->currentText()); });
    setFolder(start);
    m_place.restore(this, QPoint(4, 124), QPoint(84, 204));
}

QString TExd2Form::folder() const
{
    const QString path = m_model->filePath(m_tree->currentIndex());
    return path.isEmpty() ? QString()
                          : platform::FileOps::withTrailingSeparator(QDir::toNativeSeparators(path));
}

void TExd2Form::setFolder(const QString &folder)
{
    QString path = platform::FileOps::resolve(folder);
    while (!path.isEmpty() && !QDir(path).exists())
        path = QFileInfo(platform::FileOps::withoutTrailingSeparator(path)).path();
    const QModelIndex index = m_model->index(path);
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
}

void TExd2Form::done(int result)
{
    m_place.save(this);
    QDialog::done(result);
}

} // namespace backup
