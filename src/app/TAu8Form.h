// Conversion window "Převod dat z předchozích verzí".
#pragma once

#include "settlement/Conversion.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace app {

// "Převod dat z předchozích verzí": where the earlier installation is and
// what to do with its data. Closing is refused while the path is unusable.
class TAu8Form : public QDialog, public settlement::IConversionWindow
{
    Q_OBJECT

public:
    TAu8Form(settlement::Conversion &conversion, const settlement::AppPaths &paths,
             QWidget *parent = nullptr);

    void ask(settlement::ConversionState &state) override;

    QLineEdit *edit() const { return m_edit; }
    QCheckBox *convertBox() const { return m_convert; }
    QCheckBox *newYearBox() const { return m_newYear; }
    QPushButton *okButton() const { return m_ok; }

    void done(int result) override;

private:
    void chooseFile();

    settlement::Conversion &m_conversion;
    const settlement::AppPaths &m_paths;
    QLineEdit *m_edit = nullptr;
    QCheckBox *m_convert = nullptr;
    QCheckBox *m_newYear = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace app
