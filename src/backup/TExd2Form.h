// Folder chooser "Vlastní výběr adresáře" of the backup window.
#pragma once

#include "widgets/FormPlace.h"

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QTreeView;

namespace backup {

// "Vlastní výběr adresáře": a drive list and a folder tree for the custom
// backup folder.
class TExd2Form : public QDialog
{
    Q_OBJECT

public:
    TExd2Form(const QString &start, widgets::SettlementIni ini, QWidget *parent = nullptr);

    // The folder shown, with a trailing separator.
    QString folder() const;
    void setFolder(const QString &folder);

protected:
    void done(int result) override;

private:
    widgets::FormPlace m_place;
    QComboBox *m_drives = nullptr;
    QTreeView *m_tree = nullptr;
    QFileSystemModel *m_model = nullptr;
};

} // namespace backup
