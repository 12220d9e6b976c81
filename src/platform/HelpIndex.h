// The help folder read as data: topics, their context numbers, the places
// inside them (anchors) and the search over all of it.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// The item data role under which a list's entry names its place in the help
// (an anchor): F1 or a double-click on the entry opens the help there.
inline constexpr int HelpAnchorRole = Qt::UserRole + 0x4841;

// One place inside a topic that a link or F1 can open: an anchor
// (<a name="vdvl-sl9"></a>) with the text that follows it up to the end of
// its heading or line, as the index shows it ("sl. 9 – Vyúčtovaná částka").
struct HelpPlace
{
    QString anchor;
    QString label;
    QString text; // the topic's plain text from this anchor to the next
};

// One HTML topic of the help folder. A topic names its context numbers and
// index keywords in its head:
//   <meta name="context" content="16">
//   <meta name="keywords" content="Počet zaměstnanců; Pracoviště">
struct HelpTopic
{
    QString file; // name inside the help folder
    QString title;
    QList<int> contexts;
    QStringList keywords;
    // The text before the first anchor comes first, with an empty anchor.
    QList<HelpPlace> places;
    // Targets of the topic's links and pictures, as written.
    QStringList links;
    QStringList images;
};

// A search hit: what the list shows and where it leads.
struct HelpHit
{
    QString label;
    QString file;
    QString anchor; // empty: the top of the topic
};

// The topics of a help folder and its index.
class HelpIndex
{
public:
    // Reads every "*.html" of dir; a folder that is missing gives no topics.
    static HelpIndex load(const QString &dir);
    static HelpTopic parseTopic(const QString &file, const QString &html);

    const QString &dir() const { return m_dir; }
    const QList<HelpTopic> &topics() const { return m_topics; }
    // Empty when no topic carries the number.
    QString fileForContext(int context) const;
    // The topic holding the anchor; empty when none does.
    QString fileForAnchor(const QString &anchor) const;
    const HelpTopic *topic(const QString &file) const;
    // Keyword (and topic title) -> files, for the index list.
    const QHash<QString, QStringList> &keywords() const { return m_keywords; }
    // The keyword of the index a typed text selects: the first one, in Czech
    // order, that begins with the text regardless of letter case; failing
    // that, the first one that contains it.
    QString keywordFor(const QString &typed) const;
    QStringList sortedKeywords() const;

    // What a typed text finds, best first: keywords, titles and box labels
    // that begin with it, then those that contain it, then places whose text
    // contains every typed word. Letter case and diacritics do not matter
    // ("dic" finds "DIČ", "r. 10" finds "ř. 10").
    QList<HelpHit> search(const QString &typed, int limit = 200) const;

    // "Příliš žluťoučký" -> "prilis zlutoucky": the form searches compare.
    static QString folded(const QString &text);

    // The topic shown when nothing more specific was asked for.
    static QString defaultFile() { return QStringLiteral("uvod.html"); }

private:
    QString m_dir;
    QList<HelpTopic> m_topics;
    QHash<int, QString> m_contexts;
    QHash<QString, QString> m_anchors;
    QHash<QString, QStringList> m_keywords;
};

} // namespace platform
