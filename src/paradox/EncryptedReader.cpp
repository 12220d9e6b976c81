#include "paradox/EncryptedReader.h"

// pxlib's block cipher, the same one it reads protected tables with. It is
// exported by the library but not declared in its public header.
extern "C" void px_decrypt_db_block(unsigned char *src, unsigned char *dest, unsigned long encryption,
                                    unsigned long blocksize, unsigned long blockno);

namespace paradox {

void decryptBlocks(QByteArray &image, int headerSize, int blockSize, std::uint32_t key)
{
    if (key == 0 || blockSize <= 0 || blockSize % 256 != 0)
        return;
    auto *bytes = reinterpret_cast<unsigned char *>(image.data());
    unsigned long block = 1;
    for (qsizetype at = headerSize; at + blockSize <= image.size(); at += blockSize, ++block)
        px_decrypt_db_block(bytes + at, bytes + at, key, static_cast<unsigned long>(blockSize), block);
}

} // namespace paradox
