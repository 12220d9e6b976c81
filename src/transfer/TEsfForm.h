// Payroll transfer window "Přenos údajů z programu Gavrel".
#pragma once

#include "transfer/TransferSession.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace transfer {

// "Přenos údajů z programu Gavrel": the payroll data path, the payroll
// company list with the selected company's header, the company-data choice
// and the transfer. Ends with Accepted after a transfer.
class TEsfForm : public QDialog
{
    Q_OBJECT

public:
    explicit TEsfForm(TransferEnvironment env, QWidget *parent = nullptr);
    ~TEsfForm() override;

    TransferSession &session() { return m_session; }
    QLineEdit *EditGavrel() const { return m_path; }
    QTableWidget *DBGridAuto1() const { return m_grid; }
    QCheckBox *CheckBoxFirma() const { return m_firma; }
    QPushButton *CopyButton() const { return m_copy; }
    QPushButton *CloseButton() const { return m_close; }
    QLineEdit *detail(const QString &name) const;

    // What the path's Enter and the file dialog lead to.
    void showCompanies();
    void CopyButtonClick();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillGrid();
    void showCurrent();
    void BitBtnAdr1Click();

    TransferSession m_session;
    QLineEdit *m_path = nullptr;
    QToolButton *m_browse = nullptr;
    QTableWidget *m_grid = nullptr;
    QLineEdit *m_ico = nullptr;
    QLineEdit *m_dic = nullptr;
    QLineEdit *m_fa1 = nullptr;
    QLineEdit *m_dzr = nullptr;
    QLineEdit *m_dkr = nullptr;
    QCheckBox *m_firma = nullptr;
    QPushButton *m_copy = nullptr;
    QPushButton *m_close = nullptr;
    bool m_shown = false;
    bool m_filling = false;
};

} // namespace transfer
