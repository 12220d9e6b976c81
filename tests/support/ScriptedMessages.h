#pragma once

#include "platform/Messages.h"

#include <QList>
#include <QStringList>

#include <stdexcept>

namespace platform {

// Answers taken in order from a queue, every box recorded. A confirmation or
// question with no answer left throws ScriptExhausted, so a test that does
// not expect a question fails loudly instead of taking a default.
class ScriptedMessages : public IMessages
{
public:
    struct Shown
    {
        Kind kind;
        QString text;
        bool operator==(const Shown &) const = default;
    };

    class ScriptExhausted : public std::logic_error
    {
    public:
        using std::logic_error::logic_error;
    };

    ScriptedMessages() = default;
    explicit ScriptedMessages(QList<Answer> answers) : m_answers(std::move(answers)) {}

    void addAnswer(Answer answer) { m_answers.append(answer); }
    const QList<Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    QStringList texts(Kind kind) const;
    qsizetype answersLeft() const { return m_answers.size(); }
    void clear() { m_shown.clear(); }

    void error(const QString &text) override;
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    Answer question(const QString &text) override;

private:
    Answer take(Kind kind, const QString &text);

    QList<Answer> m_answers;
    QList<Shown> m_shown;
};

} // namespace platform
