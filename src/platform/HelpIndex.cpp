#include "platform/HelpIndex.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace platform {

namespace {

QString metaContent(const QString &html, const QString &name)
{
    // Attributes in either order, single or double quotes.
    const QRegularExpression re(
        uR"(<meta\s+[^>]*name\s*=\s*["']%1["'][^>]*content\s*=\s*["']([^"']*)["'])"_s.arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(html);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

QCollator czechCollator()
{
    QCollator collator{QLocale(QLocale::Czech, QLocale::CzechRepublic)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// The text a reader sees: tags dropped, the entities the topics use
// decoded, white space collapsed.
QString plainText(QStringView html)
{
    static const QRegularExpression tags(u"<[^>]*>"_s);
    static const QRegularExpression numeric(u"&#(\\d+);"_s);
    QString s = html.toString();
    s.replace(tags, u" "_s);
    QRegularExpressionMatchIterator it = numeric.globalMatch(s);
    QString out;
    qsizetype last = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(s).mid(last, m.capturedStart() - last);
        out += QChar(m.captured(1).toUInt());
        last = m.capturedEnd();
    }
    out += QStringView(s).mid(last);
    static const QList<std::pair<QString, QString>> entities = {
        {u"&nbsp;"_s, u" "_s},   {u"&ndash;"_s, u"–"_s}, {u"&mdash;"_s, u"—"_s}, {u"&lt;"_s, u"<"_s},
        {u"&gt;"_s, u">"_s},     {u"&quot;"_s, u"\""_s}, {u"&bdquo;"_s, u"„"_s}, {u"&ldquo;"_s, u"“"_s},
        {u"&hellip;"_s, u"…"_s}, {u"&amp;"_s, u"&"_s},
    };
    for (const auto &[entity, character] : entities)
        out.replace(entity, character);
    return out.simplified();
}

// Where the label of an anchor ends: the end of its heading, term, item,
// paragraph, bold run or line.
qsizetype labelEnd(const QString &html, qsizetype from)
{
    static const QRegularExpression end(u"</h[1-6]>|</dt>|</li>|</p>|</b>|</td>|<br|<p[ >]|<ul|<dd"_s,
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = end.match(html, from);
    const qsizetype stop = m.hasMatch() ? m.capturedStart() : html.size();
    return std::min(stop, from + 400);
}

QStringList attributeValues(const QString &html, const QString &attribute)
{
    const QRegularExpression re(uR"(\s%1\s*=\s*["']([^"']*)["'])"_s.arg(attribute),
                                QRegularExpression::CaseInsensitiveOption);
    QStringList values;
    for (QRegularExpressionMatchIterator it = re.globalMatch(html); it.hasNext();)
        values.append(it.next().captured(1));
    return values;
}

} // namespace

QString HelpIndex::folded(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        // Dashes of every length read as one.
        out += (c == u'–' || c == u'—') ? u'-' : c.toLower();
    }
    return out.simplified();
}

HelpTopic HelpIndex::parseTopic(const QString &file, const QString &html)
{
    HelpTopic topic;
    topic.file = file;
    static const QRegularExpression title(u"<title>(.*?)</title>"_s,
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = title.match(html);
    topic.title = m.hasMatch() ? plainText(m.captured(1)) : file;
    for (const QString &part : metaContent(html, u"context"_s).split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (ok)
            topic.contexts.append(n);
    }
    for (const QString &part : metaContent(html, u"keywords"_s).split(u';', Qt::SkipEmptyParts)) {
        const QString k = part.simplified();
        if (!k.isEmpty())
            topic.keywords.append(k);
    }

    static const QRegularExpression bodyStart(u"<body[^>]*>"_s, QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch b = bodyStart.match(html);
    const qsizetype start = b.hasMatch() ? b.capturedEnd() : 0;
    const QString body = html.mid(start);
    static const QRegularExpression anchor(uR"(<a\s+name\s*=\s*["']([^"']+)["'][^>]*>(?:\s*</a>)?)"_s,
                                           QRegularExpression::CaseInsensitiveOption);
    qsizetype sectionStart = 0;
    HelpPlace place; // the text before the first anchor
    place.label = topic.title;
    for (QRegularExpressionMatchIterator it = anchor.globalMatch(body); it.hasNext();) {
        const QRegularExpressionMatch a = it.next();
        place.text = plainText(QStringView(body).mid(sectionStart, a.capturedStart() - sectionStart));
        topic.places.append(place);
        place = HelpPlace{};
        place.anchor = a.captured(1);
        const qsizetype labelFrom = a.capturedEnd();
        place.label = plainText(QStringView(body).mid(labelFrom, labelEnd(body, labelFrom) - labelFrom));
        sectionStart = labelFrom;
    }
    place.text = plainText(QStringView(body).mid(sectionStart));
    topic.places.append(place);

    topic.links = attributeValues(body, u"href"_s);
    topic.images = attributeValues(body, u"src"_s);
    return topic;
}

HelpIndex HelpIndex::load(const QString &dir)
{
    HelpIndex index;
    index.m_dir = dir;
    const QDir folder(dir);
    const QStringList files = folder.entryList({u"*.html"_s}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        QFile f(folder.filePath(name));
        // Topics are small; a stray large file is not a topic.
        if (f.size() > 1024 * 1024 || !f.open(QIODevice::ReadOnly))
            continue;
        HelpTopic topic = parseTopic(name, QString::fromUtf8(f.readAll()));
        for (int c : std::as_const(topic.contexts))
            index.m_contexts.insert(c, name);
        for (const HelpPlace &p : std::as_const(topic.places)) {
            if (!p.anchor.isEmpty())
                index.m_anchors.insert(p.anchor, name);
        }
        for (const QString &k : std::as_const(topic.keywords))
            index.m_keywords[k].append(name);
        if (!topic.keywords.contains(topic.title))
            index.m_keywords[topic.title].append(name);
        index.m_topics.append(std::move(topic));
    }
    return index;
}

QString HelpIndex::fileForContext(int context) const
{
    return m_contexts.value(context);
}

QString HelpIndex::fileForAnchor(const QString &anchor) const
{
    return m_anchors.value(anchor);
}

const HelpTopic *HelpIndex::topic(const QString &file) const
{
    for (const HelpTopic &t : m_topics) {
        if (t.file == file)
            return &t;
    }
    return nullptr;
}

QStringList HelpIndex::sortedKeywords() const
{
    QStringList keys = m_keywords.keys();
    const QCollator collator = czechCollator();
    std::sort(keys.begin(), keys.end(), collator);
    return keys;
}

QString HelpIndex::keywordFor(const QString &typed) const
{
    const QString wanted = typed.trimmed();
    if (wanted.isEmpty())
        return {};
    for (const QString &k : sortedKeywords()) {
        if (k.startsWith(wanted, Qt::CaseInsensitive))
            return k;
    }
    // Nothing begins with it: the first keyword that contains it at all.
    for (const QString &k : sortedKeywords()) {
        if (k.contains(wanted, Qt::CaseInsensitive))
            return k;
    }
    return {};
}

QList<HelpHit> HelpIndex::search(const QString &typed, int limit) const
{
    const QString wanted = folded(typed);
    if (wanted.isEmpty())
        return {};
    const QStringList words = wanted.split(u' ', Qt::SkipEmptyParts);

    struct Ranked
    {
        int rank;
        HelpHit hit;
    };
    QList<Ranked> found;
    // Several anchors before one heading (the twelve months' boxes of one
    // line) are one entry of the list.
    QSet<QString> seen; // file + label
    const auto consider = [&](int rank, const QString &label, const QString &file, const QString &anchor) {
        const QString key = file + u'\n' + label;
        if (seen.contains(key))
            return;
        seen.insert(key);
        found.append({rank, {label, file, anchor}});
    };
    // Names first: one that is the typed text, then places (boxes, lines)
    // whose name begins with it, then keywords and titles that begin with
    // it, then names that contain it.
    enum Rank
    {
        Exact,
        PlaceStart,
        KeywordStart,
        Contains,
        Text
    };
    const auto nameRank = [&](const QString &name, bool place) {
        const QString f = folded(name);
        if (f == wanted)
            return Exact;
        if (f.startsWith(wanted))
            return place ? PlaceStart : KeywordStart;
        return f.contains(wanted) ? Contains : Text;
    };
    for (auto it = m_keywords.cbegin(); it != m_keywords.cend(); ++it) {
        if (const Rank r = nameRank(it.key(), false); r != Text)
            consider(r, it.key(), it.value().first(), {});
    }
    for (const HelpTopic &t : m_topics) {
        for (const HelpPlace &p : t.places) {
            if (p.anchor.isEmpty())
                continue;
            if (const Rank r = nameRank(p.label, true); r != Text)
                consider(r, p.label + u" (" + t.title + u')', t.file, p.anchor);
        }
    }
    // Then the text: a place whose words hold every typed word.
    for (const HelpTopic &t : m_topics) {
        for (const HelpPlace &p : t.places) {
            const QString text = folded(p.label + u' ' + p.text);
            const bool all =
                std::all_of(words.cbegin(), words.cend(), [&](const QString &w) { return text.contains(w); });
            if (!all)
                continue;
            const QString label = p.anchor.isEmpty() ? t.title : p.label + u" (" + t.title + u')';
            consider(Text, label, t.file, p.anchor);
        }
    }

    const QCollator collator = czechCollator();
    std::stable_sort(found.begin(), found.end(), [&](const Ranked &a, const Ranked &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        // Text hits keep the order of the help; names go alphabetically.
        return a.rank < Text && collator.compare(a.hit.label, b.hit.label) < 0;
    });
    QList<HelpHit> hits;
    for (const Ranked &r : std::as_const(found)) {
        if (hits.size() >= limit)
            break;
        hits.append(r.hit);
    }
    return hits;
}

} // namespace platform
