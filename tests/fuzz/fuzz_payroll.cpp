// The payroll transfer's reading on arbitrary bytes given as the payroll
// program's monthly rows, company list and company header: streamed from
// the disk as the transfer reads them, they must give a Czech refusal or a
// result, never a crash, a hang or an allocation the input asks for.
#include "paradox/Error.h"
#include "transfer/Payroll.h"
#include "transfer/PayrollTransfer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir;
    static const bool made = QDir(dir.path()).mkpath(QStringLiteral("F1"));
    if (!made)
        return 0;
    // Password-protected headers included: their blocks are unscrambled and
    // walked with the same checks as any table's.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString root = dir.path() + u'/';
    writeFile(root + QStringLiteral("F1/Mzd1.DB"), bytes);
    writeFile(root + QStringLiteral("F1/Mhl.DB"), bytes);
    writeFile(root + QStringLiteral("Data.DB"), bytes);

    paradox::OpenOptions options;
    options.readOnly = true;
    try {
        transfer::PayrollSums::read(root + QStringLiteral("F1/Mzd1.DB"), options);
    } catch (const transfer::TransferError &) {
    }
    const transfer::PayrollData payroll(root + QStringLiteral("Data.DB"), options);
    try {
        payroll.companies();
    } catch (const paradox::TableError &) {
    }
    try {
        payroll.header({1, QString(), QStringLiteral("F1")});
    } catch (const paradox::TableError &) {
    }
    return 0;
}
