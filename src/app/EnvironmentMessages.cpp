#include "app/EnvironmentMessages.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace app {

std::unique_ptr<EnvironmentMessages> EnvironmentMessages::fromEnvironment()
{
    const QString log = qEnvironmentVariable("QESTO_MESSAGES_LOG");
    if (log.isEmpty())
        return nullptr;
    return std::make_unique<EnvironmentMessages>(log, qEnvironmentVariable("QESTO_MESSAGES_SCRIPT"));
}

EnvironmentMessages::EnvironmentMessages(const QString &logPath, const QString &scriptPath) : m_log(logPath)
{
    m_log.open(QIODevice::WriteOnly | QIODevice::Append);
    QFile script(scriptPath);
    if (scriptPath.isEmpty() || !script.open(QIODevice::ReadOnly))
        return;
    const QStringList lines = QString::fromUtf8(script.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QString word = line.trimmed();
        if (word.compare(u"Ano", Qt::CaseInsensitive) == 0)
            m_answers.append(Answer::Yes);
        else if (word.compare(u"Ne", Qt::CaseInsensitive) == 0)
            m_answers.append(Answer::No);
        else if (!word.isEmpty())
            m_answers.append(Answer::Cancel);
    }
}

void EnvironmentMessages::log(Kind kind, const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\\', u"\\\\"_s).replace(u'\n', u"\\n"_s);
    m_log.write(platform::kindName(kind));
    m_log.write("\t");
    m_log.write(escaped.toUtf8());
    m_log.write("\n");
    m_log.flush();
}

platform::IMessages::Answer EnvironmentMessages::next(Kind kind, const QString &text, Answer fallback)
{
    log(kind, text);
    if (m_answers.isEmpty()) {
        log(kind, u"(no scripted answer)"_s);
        return fallback;
    }
    return m_answers.takeFirst();
}

void EnvironmentMessages::error(const QString &text)
{
    log(Kind::Error, text);
}

void EnvironmentMessages::information(const QString &text)
{
    log(Kind::Information, text);
}

bool EnvironmentMessages::confirm(const QString &text)
{
    return next(Kind::Confirmation, text, Answer::No) == Answer::Yes;
}

platform::IMessages::Answer EnvironmentMessages::question(const QString &text)
{
    return next(Kind::Question, text, Answer::Cancel);
}

} // namespace app
