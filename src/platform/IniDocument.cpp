#include "platform/IniDocument.h"

#include "platform/Cp1250.h"

namespace platform {
namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimmed(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.mid(begin, end - begin);
}

// The section name of a header line "[name]", or nothing for other lines.
std::optional<QStringView> sectionName(QStringView line)
{
    const QStringView t = trimmed(line);
    if (!t.startsWith(u'['))
        return std::nullopt;
    QStringView name = t.mid(1);
    const qsizetype close = name.indexOf(u']');
    if (close >= 0)
        name = name.left(close);
    return trimmed(name);
}

struct KeyLine
{
    QStringView key;
    QStringView value;
};

// A "key=value" line; comments (';') and lines without '=' are no keys.
std::optional<KeyLine> keyLine(QStringView line)
{
    const QStringView t = trimmed(line);
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'['))
        return std::nullopt;
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    return KeyLine{trimmed(t.left(eq)), trimmed(t.mid(eq + 1))};
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString singleLine(QStringView text)
{
    QString out = text.toString();
    for (QChar &c : out) {
        if (c == u'\r' || c == u'\n')
            c = u' ';
    }
    return out;
}

} // namespace

IniDocument IniDocument::fromBytes(const QByteArray &bytes)
{
    IniDocument doc;
    const QString text = Cp1250::decode(bytes);
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        doc.m_lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        doc.m_lines.append(text.mid(start));
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out;
    for (const QString &line : m_lines) {
        out += Cp1250::encode(line);
        out += "\r\n";
    }
    return out;
}

qsizetype IniDocument::findSection(QStringView section) const
{
    const QStringView wanted = trimmed(section);
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i]);
        if (name && sameName(*name, wanted))
            return i;
    }
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !sectionName(m_lines[i]))
        ++i;
    return i;
}

qsizetype IniDocument::findKey(qsizetype header, QStringView key) const
{
    const QStringView wanted = trimmed(key);
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto kl = keyLine(m_lines[i]);
        if (kl && sameName(kl->key, wanted))
            return i;
    }
    return -1;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype line = findKey(header, key);
    if (line < 0)
        return std::nullopt;
    QStringView v = keyLine(m_lines[line])->value;
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v.left(MaxValueLength).toString();
}

bool IniDocument::hasSection(QStringView section) const
{
    return findSection(section) >= 0;
}

QStringList IniDocument::keys(QStringView section) const
{
    QStringList out;
    const qsizetype header = findSection(section);
    if (header < 0)
        return out;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto kl = keyLine(m_lines[i]);
        if (kl && !kl->key.isEmpty())
            out.append(kl->key.toString());
    }
    return out;
}

QStringList IniDocument::sections() const
{
    QStringList out;
    for (const QString &line : m_lines) {
        if (const auto name = sectionName(line))
            out.append(name->toString());
    }
    return out;
}

void IniDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    const QString keyText = singleLine(trimmed(key));
    const QString valueText = singleLine(value);
    const qsizetype header = findSection(section);
    if (header < 0) {
        m_lines.append(u'[' + singleLine(trimmed(section)) + u']');
        m_lines.append(keyText + u'=' + valueText);
        return;
    }
    const qsizetype line = findKey(header, keyText);
    if (line >= 0) {
        // Keep the spelling the file already has.
        m_lines[line] = keyLine(m_lines[line])->key.toString() + u'=' + valueText;
        return;
    }
    // After the section's last non-blank line, so a blank line that
    // separates it from the next section stays where it is.
    qsizetype insertAt = sectionEnd(header);
    while (insertAt > header + 1 && trimmed(m_lines[insertAt - 1]).isEmpty())
        --insertAt;
    m_lines.insert(insertAt, keyText + u'=' + valueText);
}

bool IniDocument::removeKey(QStringView section, QStringView key)
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return false;
    const qsizetype line = findKey(header, key);
    if (line < 0)
        return false;
    m_lines.removeAt(line);
    return true;
}

bool IniDocument::removeSection(QStringView section)
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return false;
    m_lines.remove(header, sectionEnd(header) - header);
    return true;
}

} // namespace platform
