#pragma once

#include "transfer/Payroll.h"

#include <QList>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace data {
class IStatementRecalc;
class TDM1;
} // namespace data
namespace platform {
class IMessages;
}

namespace transfer {

// What the transfer window needs from the rest of the program. The path
// functions are the program's path templates (stored paths with
// "%AdresarDat%" and the like).
struct TransferEnvironment
{
    data::TDM1 *dm = nullptr;
    data::IStatementRecalc *recalc = nullptr;
    platform::IMessages *messages = nullptr;
    std::function<void(bool)> busy;

    // The real path of a stored template; ok false (and the Czech text to
    // show instead) when it does not resolve. Relative paths are refused.
    std::function<QString(const QString &, bool *)> resolveTemplate;
    // The template to store for a real path.
    std::function<QString(const QString &)> toTemplate;
    // The initial directory of the file dialog when the path box names no
    // existing directory.
    std::function<QString(const QString &)> dialogDirectory;

    QString programDir; // FileDirPrg
    QString localRoot;  // FileDirLocal
    QString dataRoot;   // FileDir: the current directory again on closing
    int taxYear = 2015;
    // The payroll tables' password when it is not the session's.
    QString payrollPassword;

    // The open settlement's INI file (a real path) and directory name.
    QString settlementIni;
    QString settlementDir;
};

// The transfer window without the widgets: the path of the payroll data,
// its company list with the selected company's header and company-data
// choice, the transfer with its questions and messages, and the settings
// kept in the settlement's INI file.
class TransferSession
{
public:
    explicit TransferSession(TransferEnvironment env);
    ~TransferSession();

    // The window's place: the defaults for the screen width, replaced by the
    // stored ones; and storing it on closing.
    QPoint position(int screenWidth) const;
    void storePosition(const QPoint &topLeft) const;

    // The payroll "Data.DB" the window starts with: the stored path when it
    // names a file, else the usual places searched.
    QString initialPath();
    int rememberedNumber() const { return m_remembered; }
    // The company showCompanies() selects (the stored one by default).
    void setRememberedNumber(int cislo) { m_remembered = cislo; }

    // Opens the company list of the "Data.DB" at path and selects the
    // remembered company. On failure shows why, closes the list and returns
    // false.
    bool showCompanies(const QString &path);
    void closeList();
    bool listOpen() const { return m_payroll != nullptr; }
    const QString &path() const { return m_path; }

    const QList<PayrollCompany> &companies() const { return m_companies; }
    int currentIndex() const { return m_current; }
    std::optional<PayrollCompany> currentCompany() const;
    // Moves to another company: reads its header and its company-data choice.
    void setCurrentIndex(int index);
    const CompanyHeader &header() const { return m_header; }
    bool companyDataChoice() const { return m_choice; }
    // The check box left: its state goes into the company's INI file.
    void storeCompanyDataChoice(bool transfer);

    // The transfer of the selected company. With ask the user confirms
    // first. Shows the final message; true when the data were transferred.
    bool transfer(bool ask = true);
    // The message the last transfer or showing ended with (for scripts).
    const QString &lastMessage() const { return m_lastMessage; }

    // Closing the window: the path box's text as a template (what the box
    // shows then); with a list open, or an empty box, it and the current
    // company's number are stored. The list is closed and the data root is
    // the current directory again.
    QString close(const QString &pathText);

    // The initial directory of the file dialog for the path box's text.
    QString dialogDirectory(const QString &pathText) const;

private:
    void fail(const QString &message, bool error);

    TransferEnvironment m_env;
    std::unique_ptr<PayrollData> m_payroll;
    QString m_path;
    QList<PayrollCompany> m_companies;
    int m_current = -1;
    int m_remembered = 0;
    CompanyHeader m_header;
    bool m_choice = false;
    QString m_lastMessage;
};

} // namespace transfer
