// Print window "Tisk".
#pragma once

#include "platform/IniFile.h"
#include "platform/Printers.h"
#include "print/PrintRun.h"
#include "print/PrintSettings.h"
#include "statements/Municipality.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace data {
class IStatusSink;
class TDM1;
} // namespace data

namespace print {

// What the print window is handed by the main window.
struct PrintWindowContext
{
    data::TDM1 &dm;
    platform::IMessages &messages;
    // The open settlement's INI file (absolute path).
    QString iniPath;
    // The main window's printer list and current printer, kept in step with
    // the window's drop-down.
    platform::PrinterState &printers;
    const platform::IPrinters &printerSource;
    platform::IPrintOutput &output;
    IPageProducer &pages;
    IPreview &preview;
    // The program-wide print font family (0 or 1), set when the settings are saved.
    int &fontFamily;
    int taxYear;
    data::IStatusSink *status = nullptr;
    // The municipality codes the checks before printing compare with.
    statements::MunicipalityLookup municipalities = {};
};

// The print window "Tisk": the page tree of the five statements, the print
// parameters of Dmt and Prp, what F6 does, the font family, the printer
// choice; "&Náhled", "&Tisk" and "PDF" act on the selected page through
// PrintRun.
class TEmtfForm : public QDialog
{
    Q_OBJECT

public:
    explicit TEmtfForm(PrintWindowContext context, QWidget *parent = nullptr);
    ~TEmtfForm() override;

    // The system's printer set-up dialog: returns the printer it left
    // current, empty when cancelled. Replaceable for tests.
    std::function<QString(const QString &current)> printerSetupDialog;
    // The save dialog of the PDF button: returns the chosen path, empty when
    // cancelled. Replaceable for tests.
    std::function<QString(const QString &suggestedPath)> pdfFileDialog;

    // ---- for tests and the main window
    QTreeWidget *tree() const { return m_tree; }
    // What the checks before filing find in the selected statement; an
    // entry opens its explanation in the help on a double-click or F1.
    QListWidget *findingsList() const { return m_findings; }
    QPushButton *previewButton() const { return m_preview; }
    QPushButton *printButton() const { return m_print; }
    QPushButton *pdfButton() const { return m_pdf; }
    // "XML": the electronic filing of the statements, opened by the main
    // window's command; the button shows once it has somewhere to lead.
    void setElectronicFiling(std::function<void()> open);
    QPushButton *xmlButton() const { return m_xml; }
    QComboBox *printerBox() const { return m_printerBox; }
    QTabWidget *tabs() const { return m_tabs; }
    // Selects the node of the given index.
    void selectPage(int index);
    int selectedIndex() const;
    PrintRun &run() { return m_run; }

    // Nacist1 / Ulozit1.
    void Nacist1();
    void Ulozit1();
    // VyberTisk1: mode 2 applies the stored printer, mode 1 runs the
    // printer set-up first.
    void VyberTisk1(int mode);

    void VyberTypuNahledVY();
    void VyberTypuTiskVY();
    // The "PDF" button: the set of Trh1 into a file chosen in the save dialog.
    void writePdf();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

private:
    void buildPagesTab(QWidget *page);
    void buildPrinterTab(QWidget *page);
    void updateButtons();
    void showFindings();
    void runDisabled(const std::function<void()> &action);
    void postAndReopen();
    void completeParameters();
    void syncPrinterBox();
    PrintParameters parameters() const;
    QString companyName() const;

    PrintWindowContext m_ctx;
    platform::IniFile m_ini;
    PrintRun m_run;
    bool m_closed = false;

    QTabWidget *m_tabs = nullptr;
    QTreeWidget *m_tree = nullptr;
    QListWidget *m_findings = nullptr;
    QPushButton *m_preview = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_pdf = nullptr;
    QPushButton *m_xml = nullptr;
    std::function<void()> m_electronicFiling;
    QRadioButton *m_f6Preview = nullptr;
    QRadioButton *m_f6Print = nullptr;
    QRadioButton *m_fontPlain = nullptr;
    QRadioButton *m_fontCe = nullptr;
    QComboBox *m_printerBox = nullptr;
    QCheckBox *m_defaultPrinter = nullptr;
};

} // namespace print
