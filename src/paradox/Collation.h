#pragma once

#include <QString>

namespace paradox {

// Czech order of texts (ch after h; accents as Czech sorts them: primary letters a á b c č d ď e é ě f g h ch
// i í j k l m n ň o ó p q r ř s š t ť u ú ů v w x y ý z ž; accents of a/e/i/o/u/y/d/t/n second-level only, č
// ř š ž ch primary), for keys and secondary indexes. Returns <0, 0 or >0. Letters compare first without
// regard to case and to second-level accents; only texts equal on that level are told apart by accents (first
// difference from the left), then by case (lower first).
int compareCzech(const QString &a, const QString &b);

// A byte string whose plain memcmp order equals compareCzech's order, for
// keys that are compared many times (index building, sorting).
QByteArray czechSortKey(const QString &text);

} // namespace paradox
