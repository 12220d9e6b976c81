#include "paradox/Collation.h"

#include <QVarLengthArray>

#include <algorithm>

namespace paradox {

namespace {

// One collation element per letter (a "ch" pair is one element).
struct Element
{
    quint32 primary;   // the letter, its accents ignored
    quint16 secondary; // the accent
    quint16 tertiary;  // letter case
};

using Elements = QVarLengthArray<Element, 64>;

// Primary weights: separators and punctuation by code, then digits, then the
// Czech alphabet, then everything else by code. Gaps leave room for nothing
// in particular; they only keep the ranges readable.
constexpr quint32 PunctBase = 0x0100;
constexpr quint32 DigitBase = 0x1000;
constexpr quint32 LetterBase = 0x2000;
constexpr quint32 OtherBase = 0x10000;

// Position in the alphabet: a b c č d e f g h ch i j k l m n o p q r ř s š t u v w x y z ž.
quint32 letterWeight(char16_t base, bool caron)
{
    static constexpr char16_t Alphabet[] = u"abcdefghijklmnopqrstuvwxyz";
    int index = 0;
    for (char16_t c : Alphabet) {
        if (c == 0)
            break;
        index += 1;
        if (c == base)
            break;
        // č, ř, š, ž and ch each take a place after their base letter.
        if (c == u'c' || c == u'h' || c == u'r' || c == u's' || c == u'z')
            index += 1;
    }
    // index now points at base; its own caron or h letter follows directly.
    return LetterBase + 4 * static_cast<quint32>(index) + (caron ? 4 : 0);
}

constexpr char16_t Caron = 0x030C;

// Accents that do not make a letter of their own, in the order Czech sorts
// them: plain, acute (á é í ó ú ý), caron (ě ď ť ň), ring (ů); the rest of the
// Latin marks that code page 1250 texts carry follow.
quint16 markWeight(char16_t mark)
{
    switch (mark) {
    case 0x0301:
        return 1; // acute
    case 0x030C:
        return 2; // caron
    case 0x030A:
        return 3; // ring above
    case 0x0308:
        return 4; // diaeresis
    case 0x0302:
        return 5; // circumflex
    case 0x0306:
        return 6; // breve
    case 0x0328:
        return 7; // ogonek
    case 0x030B:
        return 8; // double acute
    case 0x0327:
        return 9; // cedilla
    case 0x0307:
        return 10; // dot above
    default:
        return static_cast<quint16>(16 + (mark & 0xFF));
    }
}

bool isMark(char16_t c)
{
    return c >= 0x0300 && c <= 0x036F;
}

// Letters without a decomposition that still belong to a Latin base letter.
bool strokeLetter(char16_t c, char16_t &base, bool &upper)
{
    switch (c) {
    case u'ł':
        base = u'l';
        upper = false;
        return true;
    case u'Ł':
        base = u'l';
        upper = true;
        return true;
    case u'đ':
        base = u'd';
        upper = false;
        return true;
    case u'Đ':
        base = u'd';
        upper = true;
        return true;
    default:
        return false;
    }
}

void elementsOf(const QString &text, Elements &out)
{
    out.clear();
    // Decomposition turns every accented letter into base + marks, so one
    // rule covers Czech and the neighbouring languages of code page 1250.
    const QString nfd = text.normalized(QString::NormalizationForm_D);
    const char16_t *s = reinterpret_cast<const char16_t *>(nfd.utf16());
    const qsizetype n = nfd.size();
    for (qsizetype i = 0; i < n;) {
        const char16_t c = s[i++];
        quint16 secondary = 0;
        // Marks that follow the base letter; a caron on c, r, s, z makes a
        // letter of its own instead.
        char16_t firstMark = 0;
        qsizetype marksEnd = i;
        while (marksEnd < n && isMark(s[marksEnd]))
            ++marksEnd;
        if (marksEnd > i)
            firstMark = s[i];

        const char16_t lower = c < 0x80 && c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        const quint16 upper = c != lower ? 1 : 0;
        char16_t strokeBase = 0;
        bool strokeUpper = false;

        if (lower >= u'a' && lower <= u'z') {
            bool caron = false;
            if (firstMark == Caron && (lower == u'c' || lower == u'r' || lower == u's' || lower == u'z')) {
                caron = true;
                ++i;
            }
            // ch is one letter; a mark between c and h breaks the pair.
            if (lower == u'c' && !caron && i == marksEnd && i < n && (s[i] == u'h' || s[i] == u'H')) {
                const quint16 caseBits = static_cast<quint16>(upper * 2 + (s[i] == u'H' ? 1 : 0));
                ++i;
                qsizetype hMarksEnd = i;
                while (hMarksEnd < n && isMark(s[hMarksEnd]))
                    ++hMarksEnd;
                for (qsizetype m = i; m < hMarksEnd; ++m)
                    secondary = static_cast<quint16>(secondary * 32 + markWeight(s[m]));
                i = hMarksEnd;
                out.append({letterWeight(u'h', true), secondary, caseBits});
                continue;
            }
            for (qsizetype m = i; m < marksEnd; ++m)
                secondary = static_cast<quint16>(secondary * 32 + markWeight(s[m]));
            i = marksEnd;
            out.append({letterWeight(lower, caron), secondary, upper});
        } else if (strokeLetter(c, strokeBase, strokeUpper)) {
            out.append({letterWeight(strokeBase, false), 31, static_cast<quint16>(strokeUpper ? 1 : 0)});
        } else if (c >= u'0' && c <= u'9') {
            out.append({DigitBase + (c - u'0'), 0, 0});
        } else if (c < 0x80) {
            out.append({PunctBase + c, 0, 0});
        } else if (c == u'ß') {
            // Sorts as "ss", the way German readers expect.
            out.append({letterWeight(u's', false), 0, 0});
            out.append({letterWeight(u's', false), 31, 0});
        } else {
            const QChar qc(c);
            const char16_t folded = qc.toLower().unicode();
            const quint16 caseBit = folded != c ? 1 : 0;
            if (isMark(c))
                secondary = markWeight(c);
            out.append({isMark(c) ? quint32(0x00FF) : OtherBase + folded, secondary, caseBit});
        }
    }
}

template <typename Get> int compareLevel(const Elements &a, const Elements &b, Get get)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto x = get(a[i]);
        const auto y = get(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

} // namespace

int compareCzech(const QString &a, const QString &b)
{
    Elements ea, eb;
    elementsOf(a, ea);
    elementsOf(b, eb);
    if (int r = compareLevel(ea, eb, [](const Element &e) { return e.primary; }))
        return r;
    if (int r = compareLevel(ea, eb, [](const Element &e) { return e.secondary; }))
        return r;
    if (int r = compareLevel(ea, eb, [](const Element &e) { return e.tertiary; }))
        return r;
    // Different texts never compare equal, so a key made of them stays unique.
    const int r = QString::compare(a, b, Qt::CaseSensitive);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

QByteArray czechSortKey(const QString &text)
{
    Elements e;
    elementsOf(text, e);
    QByteArray key;
    key.reserve(e.size() * 9 + 6 + text.size() * 2);
    // Each level ends with a zero run that sorts below every weight, so a
    // shorter text sorts first on each level, as compareCzech does.
    for (const Element &x : e) {
        key.append(char((x.primary >> 16) & 0xFF));
        key.append(char((x.primary >> 8) & 0xFF));
        key.append(char(x.primary & 0xFF));
    }
    key.append(3, '\0');
    for (const Element &x : e) {
        key.append(char(x.secondary >> 8));
        key.append(char(x.secondary & 0xFF));
    }
    key.append(2, '\0');
    for (const Element &x : e) {
        key.append(char(x.tertiary >> 8));
        key.append(char(x.tertiary & 0xFF));
    }
    key.append(2, '\0');
    for (QChar c : text) {
        key.append(char(c.unicode() >> 8));
        key.append(char(c.unicode() & 0xFF));
    }
    return key;
}

} // namespace paradox
