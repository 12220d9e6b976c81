// Electronic filing window "Elektronické podání (XML)".
#pragma once

#include "filing/EpoExport.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace data {
class TDM1;
}
namespace platform {
class IMessages;
}

namespace filing {

// "Elektronické podání (XML)": which statement, the target file, the office
// and address where the company data do not give them as the filing wants
// (an office list, the address in boxes prefilled from the split), the
// checks before filing as warnings, and the result: the file written, or
// the schema's complaints at their places on the forms.
class TEpoForm : public QDialog
{
    Q_OBJECT

public:
    struct Context
    {
        data::TDM1 &dm;
        platform::IMessages &messages;
        QString iniPath;       // the settlement's INI file: answers and placement
        QString section;       // the settlement's section in it (placement)
        QString defaultFolder; // where the file goes by default, when it exists
        Software software;
        // The checks before filing; none when not connected.
        std::function<QList<statements::FilingIssue>(Form)> checks;
    };

    TEpoForm(Context context, QWidget *parent = nullptr);
    ~TEpoForm() override;

    Form form() const;
    void setForm(Form form);
    // "Vytvořit soubor": true when the file was written.
    bool exportFile();

    // The boxes, for the tests.
    QRadioButton *employmentButton() const { return m_employment; }
    QRadioButton *withholdingButton() const { return m_withholding; }
    QLineEdit *fileEdit() const { return m_file; }
    QComboBox *officeCombo() const { return m_office; }
    QComboBox *workplaceCombo() const { return m_workplace; }
    QLineEdit *addressBox(int part) const; // 0 street, 1 house, 2 orientation, 3 postcode, 4 municipality
    // What the signing person's number box means, asked where it is unclear.
    QComboBox *signatoryCombo() const { return m_signatory; }
    QLabel *questionLabel() const { return m_question; }
    QListWidget *resultList() const { return m_results; }
    QPushButton *exportButton() const { return m_export; }

    // Closing by any way keeps the window's place.
    void done(int result) override;

private:
    void build();
    void loadStatement();
    QList<statements::FilingIssue> checks(Form form) const;
    QString startFolder() const;
    static QString lastFolderKey();
    void fillWorkplaces(int office, int selected);
    Filer currentFiler() const;
    void rememberAnswers(const Filer &filer);
    void browse();
    void showResult(const QStringList &lines);
    void restorePlacement();
    void savePlacement();

    Context m_context;
    Snapshot m_snapshot;
    Resolution m_resolution;

    QRadioButton *m_employment = nullptr;
    QRadioButton *m_withholding = nullptr;
    QLineEdit *m_file = nullptr;
    QComboBox *m_office = nullptr;
    QComboBox *m_workplace = nullptr;
    QList<QLineEdit *> m_address;
    QGroupBox *m_signatoryBox = nullptr;
    QComboBox *m_signatory = nullptr;
    QLabel *m_addressSource = nullptr;
    QLabel *m_question = nullptr;
    QListWidget *m_results = nullptr;
    QPushButton *m_export = nullptr;
};

} // namespace filing
