#include "transfer/TransferSession.h"

#include "data/DataError.h"
#include "data/StatusSink.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/Messages.h"
#include "transfer/PayrollTransfer.h"

using namespace Qt::StringLiterals;
namespace FileOps = platform::FileOps;

namespace transfer {

namespace {

QString section()
{
    return u"Prenos"_s;
}

} // namespace

TransferSession::TransferSession(TransferEnvironment env) : m_env(std::move(env)) {}

TransferSession::~TransferSession() = default;

QPoint TransferSession::position(int screenWidth) const
{
    const bool small = screenWidth <= 640;
    const platform::IniFile ini(m_env.settlementIni);
    const int top = ini.readInteger(m_env.settlementDir, u"Gavrel1Top", small ? 56 : 136);
    const int left = ini.readInteger(m_env.settlementDir, u"Gavrel1Left", small ? 4 : 84);
    return {left, top};
}

void TransferSession::storePosition(const QPoint &topLeft) const
{
    platform::IniFile ini(m_env.settlementIni);
    platform::writeIfPossible([&] {
        ini.writeInteger(m_env.settlementDir, u"Gavrel1Top", topLeft.y());
        ini.writeInteger(m_env.settlementDir, u"Gavrel1Left", topLeft.x());
    });
}

QString TransferSession::initialPath()
{
    const platform::IniFile ini(m_env.settlementIni);
    bool ok = false;
    const QString stored = ini.readString(section(), u"Gavrel");
    QString path = m_env.resolveTemplate ? m_env.resolveTemplate(stored, &ok) : stored;
    if (!ok)
        path = messages::unresolvedPath();
    m_remembered = ini.readInteger(section(), u"GavrelCislo", 0);
    m_path = findPayrollData(ok ? path : QString(), m_env.programDir, m_env.localRoot, m_env.taxYear);
    return m_path;
}

void TransferSession::fail(const QString &message, bool error)
{
    m_lastMessage = message;
    if (!m_env.messages)
        return;
    if (error)
        m_env.messages->error(message);
    else
        m_env.messages->information(message);
}

bool TransferSession::showCompanies(const QString &path)
{
    closeList();
    m_path = path;
    try {
        paradox::OpenOptions options = m_env.dm ? m_env.dm->openOptions() : paradox::OpenOptions{};
        if (!m_env.payrollPassword.isEmpty())
            options.password = m_env.payrollPassword;
        auto payroll = std::make_unique<PayrollData>(path, options);
        QList<PayrollCompany> list = payroll->companies();
        int current = list.isEmpty() ? -1 : 0;
        for (int i = 0; i < list.size(); ++i) {
            if (list[i].Cislo == m_remembered) {
                current = i;
                break;
            }
        }
        CompanyHeader header;
        bool choice = false;
        if (current >= 0) {
            header = payroll->header(list[current]);
            choice = payroll->companyDataChoice(list[current]);
        }
        m_payroll = std::move(payroll);
        m_companies = std::move(list);
        m_current = current;
        m_header = header;
        m_choice = choice;
        m_lastMessage.clear();
        return true;
    } catch (const platform::Error &e) {
        closeList();
        fail(platform::Error::withReason(messages::cannotShow(), e.message()), false);
        return false;
    }
}

void TransferSession::closeList()
{
    m_payroll.reset();
    m_companies.clear();
    m_current = -1;
    m_header = {};
    m_choice = false;
}

std::optional<PayrollCompany> TransferSession::currentCompany() const
{
    if (m_current < 0 || m_current >= m_companies.size())
        return std::nullopt;
    return m_companies.at(m_current);
}

void TransferSession::setCurrentIndex(int index)
{
    if (!m_payroll || index < 0 || index >= m_companies.size())
        return;
    m_current = index;
    m_remembered = m_companies.at(index).Cislo;
    try {
        m_header = m_payroll->header(m_companies.at(index));
    } catch (const paradox::TableError &) {
        // A company without a readable header still shows in the list; the
        // transfer itself reports what is wrong with it.
        m_header = {};
    }
    m_choice = m_payroll->companyDataChoice(m_companies.at(index));
}

void TransferSession::storeCompanyDataChoice(bool transfer)
{
    const std::optional<PayrollCompany> company = currentCompany();
    if (!m_payroll || !company)
        return;
    m_choice = transfer;
    platform::writeIfPossible([&] { m_payroll->storeCompanyDataChoice(*company, transfer); });
}

bool TransferSession::transfer(bool ask)
{
    const std::optional<PayrollCompany> company = currentCompany();
    if (!m_payroll || !company || !m_env.dm || !m_env.recalc)
        return false;
    if (ask && m_env.messages && !m_env.messages->confirm(messages::confirm()))
        return false;

    if (m_env.busy)
        m_env.busy(true);
    try {
        transferCompany(*m_env.dm, *m_env.recalc, *m_payroll, *company);
    } catch (const platform::Error &e) {
        if (m_env.busy)
            m_env.busy(false);
        fail(e.message(), true);
        return false;
    }
    m_env.dm->status().clear();
    if (m_env.busy)
        m_env.busy(false);
    m_lastMessage = messages::done();
    if (m_env.messages)
        m_env.messages->information(m_lastMessage);
    return true;
}

QString TransferSession::close(const QString &pathText)
{
    const QString templ = m_env.toTemplate ? m_env.toTemplate(pathText) : pathText;
    if (listOpen() || pathText.isEmpty()) {
        platform::IniFile ini(m_env.settlementIni);
        const std::optional<PayrollCompany> company = currentCompany();
        platform::writeIfPossible([&] {
            ini.writeString(section(), u"Gavrel", templ);
            ini.writeInteger(section(), u"GavrelCislo", company ? company->Cislo : m_remembered);
        });
    }
    closeList();
    if (!m_env.dataRoot.isEmpty())
        FileOps::setCurrentDir(m_env.dataRoot);
    return templ;
}

QString TransferSession::dialogDirectory(const QString &pathText) const
{
    const QString dir = FileOps::directoryOf(pathText);
    if (!dir.isEmpty() && FileOps::dirExists(dir))
        return dir;
    return m_env.dialogDirectory ? m_env.dialogDirectory(pathText) : m_env.localRoot;
}

} // namespace transfer
