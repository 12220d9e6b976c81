#include "paradox/EncryptedReader.h"

#include "paradox/Error.h"

#include <QFile>

// pxlib's header declares C functions without extern "C".
extern "C" {
#include <paradox.h>
}

#include <memory>

using namespace Qt::StringLiterals;

namespace paradox {

namespace {

// pxlib reports through a callback; keep the first message for our error.
void collectError(pxdoc_t *, int, const char *msg, void *data)
{
    auto *text = static_cast<QString *>(data);
    if (text->isEmpty())
        *text = QString::fromLocal8Bit(msg);
}

struct PxDeleter
{
    void operator()(pxdoc_t *doc) const
    {
        PX_close(doc);
        PX_delete(doc);
    }
};

// pxlib trusts the header's block count and loops for ever on a file cut
// short of it, so the sizes are checked against the file before it is asked.
bool blocksFitTheFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(0x12);
    if (head.size() < 0x12)
        return false;
    const auto byteAt = [&head](int i) { return quint32(quint8(head[i])); };
    const auto word = [&byteAt](int i) { return byteAt(i) | (byteAt(i + 1) << 8); };
    const quint32 headerSize = word(0x02);
    const quint32 blockSize = byteAt(0x05) * 1024;
    const quint32 fileBlocks = word(0x0C);
    const quint32 firstBlock = word(0x0E);
    const quint32 lastBlock = word(0x10);
    if (blockSize == 0 || firstBlock > fileBlocks || lastBlock > fileBlocks)
        return false;
    return quint64(file.size()) >= quint64(headerSize) + quint64(fileBlocks) * blockSize;
}

} // namespace

QList<QByteArray> readProtectedRecords(const QString &path, const QString &password, int recordSize,
                                       const QString &displayName)
{
    static const bool booted = [] {
        PX_boot();
        return true;
    }();
    Q_UNUSED(booted);
    QString pxError;
    std::unique_ptr<pxdoc_t, PxDeleter> doc(PX_new3(collectError, nullptr, nullptr, nullptr, &pxError));
    if (!doc)
        throw TableError(TableError::Kind::Unreadable, u"Tabulku %1 nelze otevřít."_s.arg(displayName));
    // The key stored in the header suffices to decrypt; the password is
    // handed over too so that pxlib can check it where it wants one.
    if (!password.isEmpty())
        PX_set_parameter(doc.get(), "password", password.toLatin1().constData());
    if (!blocksFitTheFile(path))
        throw TableError(TableError::Kind::Damaged,
                         u"Tabulka %1 je poškozená: soubor je kratší, než udává hlavička"_s.arg(displayName));
    if (PX_open_file(doc.get(), QFile::encodeName(path).constData()) < 0) {
        throw TableError(TableError::Kind::Unreadable,
                         u"Tabulku %1 chráněnou heslem nelze přečíst: %2"_s.arg(displayName, pxError));
    }
    const int count = PX_get_num_records(doc.get());
    if (count < 0 || PX_get_recordsize(doc.get()) != recordSize)
        throw TableError(
            TableError::Kind::Damaged,
            u"Tabulka %1 je poškozená: pxlib ji čte jinak než hlavička udává"_s.arg(displayName));
    // No reserve from the header's count: a damaged header must not decide
    // how much memory is taken.
    QList<QByteArray> records;
    QByteArray buffer(recordSize, '\0');
    for (int i = 0; i < count; ++i) {
        if (!PX_get_record(doc.get(), i, buffer.data()))
            throw TableError(
                TableError::Kind::Damaged,
                u"Tabulka %1 je poškozená: záznam %2 nelze přečíst"_s.arg(displayName).arg(i + 1));
        records.append(buffer);
    }
    return records;
}

} // namespace paradox
