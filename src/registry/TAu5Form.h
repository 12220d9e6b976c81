// Data root choice "Výběr práce s daty".
#pragma once

#include "registry/NetworkChoice.h"

#include <QDialog>
#include <QUrl>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace registry {

// "Výběr práce s daty": local or network data, and preparing a network data
// root. However it is closed, the choice is stored and applied.
class TAu5Form : public QDialog
{
    Q_OBJECT

public:
    TAu5Form(DataRoots roots, platform::IMessages &messages, SettlementList &list,
             IRegistryHooks *hooks = nullptr, QWidget *parent = nullptr);

    // The installation guide the link opens: beside the program, or in the
    // installation's data folder.
    static QString guideFileName() { return QStringLiteral("Navod k instalaci.pdf"); }
    const QUrl &guideUrl() const { return m_guide; }
    // Where the link to the installation guide leads.
    void setGuideUrl(const QUrl &url) { m_guide = url; }
    void openGuide();

    QComboBox *driveBox() const { return m_drive; }
    QLineEdit *directoryEdit() const { return m_directory; }
    QRadioButton *localButton() const { return m_local; }
    QRadioButton *networkButton() const { return m_network; }
    QLineEdit *pathEdit() const { return m_path; }

    void done(int result) override;

private:
    void copyData();
    void browse();

    NetworkChoice m_choice;
    platform::IMessages &m_messages;
    QComboBox *m_drive;
    QLineEdit *m_directory;
    QRadioButton *m_local;
    QRadioButton *m_network;
    QLineEdit *m_path;
    QUrl m_guide;
};

} // namespace registry
