#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The printers installed on this computer. The opening of a settlement and
// the print window choose among them; tests hand in a fixed list.
class IPrinters
{
public:
    virtual ~IPrinters() = default;
    // Names in the order the system lists them.
    virtual QStringList printerNames() const = 0;
    // The system's default printer; empty when there is none.
    virtual QString defaultPrinterName() const = 0;
};

// The system's printers through Qt's print support.
class QtPrinters : public IPrinters
{
public:
    QStringList printerNames() const override;
    QString defaultPrinterName() const override;
};

// A fixed list, for tests and tools.
class FixedPrinters : public IPrinters
{
public:
    FixedPrinters(QStringList names, QString defaultName)
        : m_names(std::move(names)), m_default(std::move(defaultName))
    {}
    QStringList printerNames() const override { return m_names; }
    QString defaultPrinterName() const override { return m_default; }

private:
    QStringList m_names;
    QString m_default;
};

} // namespace platform
