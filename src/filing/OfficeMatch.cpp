#include "filing/OfficeMatch.h"

#include <QHash>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace filing {

namespace {

bool isNumeral(const QString &word)
{
    static const QSet<QString> roman = {u"i"_s,  u"ii"_s,  u"iii"_s,  u"iv"_s, u"v"_s,
                                        u"vi"_s, u"vii"_s, u"viii"_s, u"ix"_s, u"x"_s};
    if (roman.contains(word))
        return true;
    return std::all_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
}

// The words of a name that tell it apart from the others.
QStringList significantWords(const QString &text)
{
    static const QSet<QString> common = {u"financni"_s,   u"financnimu"_s, u"financniho"_s, u"financnim"_s,
                                         u"urad"_s,       u"uradu"_s,      u"uradem"_s,     u"fu"_s,
                                         u"uzemni"_s,     u"uzemnimu"_s,   u"uzemniho"_s,   u"pracoviste"_s,
                                         u"pracovisti"_s, u"up"_s};
    QStringList words = foldText(text).split(u' ', Qt::SkipEmptyParts);
    words.removeIf([](const QString &w) { return common.contains(w); });
    // The preposition the printed label ends with; inside a name ("Slavkově
    // u Brna") it stays.
    while (!words.isEmpty() && (words.first() == u"pro" || words.first() == u"v" || words.first() == u"ve"))
        words.removeFirst();
    return words;
}

// The code lists' names folded once: they are compared with every text.
// Matching runs on the program's one thread.
const QStringList &nameWords(const QString &name)
{
    static QHash<QString, QStringList> cache;
    auto it = cache.constFind(name);
    if (it == cache.cend())
        it = cache.insert(name, significantWords(name));
    return *it;
}

// The length of the shared beginning when the words match, else 0.
int wordMatch(const QString &typed, const QString &name)
{
    if (isNumeral(typed) || isNumeral(name))
        return typed == name ? int(typed.size()) + 3 : 0;
    qsizetype common = 0;
    const qsizetype limit = std::min(typed.size(), name.size());
    while (common < limit && typed[common] == name[common])
        ++common;
    const qsizetype needed = std::min<qsizetype>(3, limit);
    return common >= needed && common > 0 ? int(common) : 0;
}

// How well the typed words fit a name: -1 when a typed word fits no word of
// it, else the shared beginnings minus the name's words left unmatched.
int fit(const QStringList &typed, const QStringList &name)
{
    if (typed.isEmpty())
        return -1;
    QList<bool> used(name.size(), false);
    int score = 0;
    for (const QString &t : typed) {
        int best = 0;
        qsizetype at = -1;
        for (qsizetype i = 0; i < name.size(); ++i) {
            if (used[i])
                continue;
            const int m = wordMatch(t, name[i]);
            if (m > best) {
                best = m;
                at = i;
            }
        }
        if (at < 0)
            return -1;
        used[at] = true;
        score += best * 10;
    }
    score -= int(std::count(used.begin(), used.end(), false)) * 10;
    return score;
}

// The index of the one best-fitting name; -1 when none fits, -2 on a tie.
template <class T> qsizetype bestFit(const QString &text, const QList<T> &items)
{
    const QStringList typed = significantWords(text);
    int best = -1;
    qsizetype at = -1;
    bool tie = false;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const int score = fit(typed, nameWords(items[i].name));
        if (score < 0)
            continue;
        if (at < 0 || score > best) {
            best = score;
            at = i;
            tie = false;
        } else if (score == best) {
            tie = true;
        }
    }
    return tie ? -2 : at;
}

} // namespace

OfficeMatch matchOffice(const CodeLists &lists, const QString &officeText, const QString &workplaceText)
{
    OfficeMatch match;
    QStringList problems;

    const qsizetype o = bestFit(officeText, lists.offices());
    if (o >= 0)
        match.office = lists.offices()[o].code;

    const bool workplaceTyped = !significantWords(workplaceText).isEmpty();
    if (workplaceTyped) {
        const QList<Workplace> candidates =
            match.office ? lists.workplacesOf(match.office) : lists.workplaces();
        const qsizetype w = bestFit(workplaceText, candidates);
        if (w >= 0) {
            match.workplace = candidates[w].code;
            if (!match.office)
                match.office = candidates[w].office;
        } else if (w == -2) {
            problems.append(
                u"Územní pracoviště „%1“ odpovídá více pracovištím."_s.arg(workplaceText.trimmed()));
        } else {
            problems.append(u"Územní pracoviště „%1“ není v číselníku%2."_s.arg(
                workplaceText.trimmed(), match.office ? u" pracovišť tohoto finančního úřadu"_s : QString()));
        }
    }
    if (!match.office) {
        if (officeText.trimmed().isEmpty())
            problems.prepend(u"Finanční úřad není vyplněn."_s);
        else if (o == -2)
            problems.prepend(u"Finanční úřad „%1“ odpovídá více úřadům."_s.arg(officeText.trimmed()));
        else
            problems.prepend(u"Finanční úřad „%1“ není v číselníku."_s.arg(officeText.trimmed()));
    }
    match.problem = problems.join(u' ');
    return match;
}

} // namespace filing
