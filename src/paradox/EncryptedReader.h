#pragma once

#include <QByteArray>

#include <cstdint>

namespace paradox {

// Unscrambles, in place, the blocks of a password-protected table held in
// memory: every block of blockSize bytes from headerSize to the end of image
// (the header itself is not scrambled). key is the value the header stores;
// the password is not needed. Afterwards the table is read like any other,
// its chain walked with the same checks, so a damaged protected table is
// refused as damaged rather than followed without end.
void decryptBlocks(QByteArray &image, int headerSize, int blockSize, std::uint32_t key);

} // namespace paradox
