#include "ScriptedMessages.h"

namespace platform {

QStringList ScriptedMessages::texts() const
{
    QStringList out;
    for (const Shown &s : m_shown)
        out.append(s.text);
    return out;
}

QStringList ScriptedMessages::texts(Kind kind) const
{
    QStringList out;
    for (const Shown &s : m_shown) {
        if (s.kind == kind)
            out.append(s.text);
    }
    return out;
}

void ScriptedMessages::error(const QString &text)
{
    m_shown.append({Kind::Error, text});
}

void ScriptedMessages::information(const QString &text)
{
    m_shown.append({Kind::Information, text});
}

IMessages::Answer ScriptedMessages::take(Kind kind, const QString &text)
{
    m_shown.append({kind, text});
    if (m_answers.isEmpty())
        throw ScriptExhausted("no scripted answer left for: " + text.toStdString());
    return m_answers.takeFirst();
}

bool ScriptedMessages::confirm(const QString &text)
{
    return take(Kind::Confirmation, text) == Answer::Yes;
}

IMessages::Answer ScriptedMessages::question(const QString &text)
{
    return take(Kind::Question, text);
}

} // namespace platform
