#include "PxPeer.h"

#include <QFile>

extern "C" {
#include <paradox.h>
// Exported by the library, not declared in its public header.
void px_encrypt_db_block(unsigned char *src, unsigned char *dest, unsigned long encryption,
                         unsigned long blocksize, unsigned long blockno);
void px_decrypt_db_block(unsigned char *src, unsigned char *dest, unsigned long encryption,
                         unsigned long blocksize, unsigned long blockno);
}

#include <cstring>

namespace pxpeer {

namespace {

void quiet(pxdoc_t *, int, const char *, void *) {}

pxdoc_t *newDoc()
{
    static const bool booted = [] {
        PX_boot();
        return true;
    }();
    Q_UNUSED(booted);
    return PX_new3(quiet, nullptr, nullptr, nullptr, nullptr);
}

} // namespace

Contents read(const QString &path, const QString &password, const QString &indexPath)
{
    Contents c;
    pxdoc_t *doc = newDoc();
    pxdoc_t *index = nullptr;
    if (!password.isEmpty())
        PX_set_parameter(doc, "password", password.toLatin1().constData());
    if (PX_open_file(doc, QFile::encodeName(path).constData()) < 0) {
        PX_delete(doc);
        return c;
    }
    if (!indexPath.isEmpty()) {
        index = newDoc();
        if (PX_open_file(index, QFile::encodeName(indexPath).constData()) < 0 ||
            PX_read_primary_index(index) < 0 || PX_add_primary_index(doc, index) < 0) {
            PX_close(doc);
            PX_delete(doc);
            return c;
        }
    }
    const int n = PX_get_num_fields(doc);
    pxfield_t *f = PX_get_fields(doc);
    for (int i = 0; i < n; ++i)
        c.fields.append({QString::fromLatin1(f[i].px_fname), int(static_cast<unsigned char>(f[i].px_ftype)),
                         f[i].px_flen});
    c.recordSize = PX_get_recordsize(doc);
    c.codePage = doc->px_head->px_doscodepage;
    c.keyFields = doc->px_head->px_primarykeyfields;
    QByteArray buf(c.recordSize, '\0');
    const int count = PX_get_num_records(doc);
    for (int i = 0; i < count; ++i) {
        if (!PX_get_record(doc, i, buf.data())) {
            PX_close(doc);
            PX_delete(doc);
            return c;
        }
        c.records.append(buf);
    }
    c.ok = true;
    PX_close(doc);
    PX_delete(doc);
    return c;
}

bool write(const QString &path, const QList<Field> &fields, const QList<QByteArray> &records,
           const QString &password)
{
    pxdoc_t *doc = newDoc();
    // pxlib frees the field array with the document, so it allocates it too.
    auto *pxf =
        static_cast<pxfield_t *>(doc->malloc(doc, sizeof(pxfield_t) * size_t(fields.size()), "fields"));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QByteArray name = fields[i].name.toLatin1();
        pxf[i].px_fname = static_cast<char *>(doc->malloc(doc, size_t(name.size()) + 1, "name"));
        std::memcpy(pxf[i].px_fname, name.constData(), size_t(name.size()) + 1);
        pxf[i].px_ftype = char(fields[i].type);
        pxf[i].px_flen = fields[i].size;
        pxf[i].px_fdc = 0;
    }
    QFile::remove(path);
    if (PX_create_file(doc, pxf, int(fields.size()), QFile::encodeName(path).constData(),
                       pxfFileTypNonIndexDB) < 0) {
        PX_delete(doc);
        return false;
    }
    PX_set_parameter(doc, "targetencoding", "CP1250");
    PX_set_parameter(doc, "tablename", "peer");
    if (!password.isEmpty())
        PX_set_parameter(doc, "password", password.toLatin1().constData());
    bool ok = true;
    for (const QByteArray &r : records) {
        QByteArray copy = r;
        if (PX_put_record(doc, copy.data()) < 0)
            ok = false;
    }
    PX_close(doc);
    PX_delete(doc);
    return ok;
}

void scrambleBlock(QByteArray &block, quint32 key, int blockNumber)
{
    auto *b = reinterpret_cast<unsigned char *>(block.data());
    px_encrypt_db_block(b, b, key, static_cast<unsigned long>(block.size()),
                        static_cast<unsigned long>(blockNumber));
}

void unscrambleBlock(QByteArray &block, quint32 key, int blockNumber)
{
    auto *b = reinterpret_cast<unsigned char *>(block.data());
    px_decrypt_db_block(b, b, key, static_cast<unsigned long>(block.size()),
                        static_cast<unsigned long>(blockNumber));
}

} // namespace pxpeer
