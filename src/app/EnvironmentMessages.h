#pragma once

#include "platform/Messages.h"

#include <QFile>

#include <memory>

namespace app {

// Lets a script run the program without anyone at the screen:
// QESTO_MESSAGES_LOG names a file that gets one line per message box,
// "<kind>\t<text>" with line breaks in the text written as "\n", and
// QESTO_MESSAGES_SCRIPT names a file with one answer per line ("Ano", "Ne",
// "Storno") for the questions in order. A question without an answer left
// is logged and answered Cancel (No for a confirmation), the safe choice.
class EnvironmentMessages : public platform::IMessages
{
public:
    // Null unless QESTO_MESSAGES_LOG is set.
    static std::unique_ptr<EnvironmentMessages> fromEnvironment();

    EnvironmentMessages(const QString &logPath, const QString &scriptPath);

    void error(const QString &text) override;
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    Answer question(const QString &text) override;

private:
    void log(Kind kind, const QString &text);
    Answer next(Kind kind, const QString &text, Answer fallback);

    QFile m_log;
    QList<Answer> m_answers;
};

} // namespace app
