#pragma once

#include <QByteArray>
#include <QString>

#include <exception>
#include <utility>

namespace platform {

// The base of every error the program reports: the text is Czech and ready
// to be shown as it is, so a window or the command dispatch catches this one
// type and shows message(). Each layer derives its own type for what it
// adds (the engine's and the dataset's kinds).
//
// std::exception stays a base so that what() still names the failure where
// only the standard type is known (an uncaught exception's report, a test
// framework's message); the program itself reads message().
class Error : public std::exception
{
public:
    explicit Error(QString message) : m_message(std::move(message)), m_what(m_message.toUtf8()) {}

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

    // The text shown for a failure the program describes in its own words:
    // that text, and the reason as the failing layer gave it on the next
    // line, so the user (or support) sees which file and why.
    static QString withReason(const QString &text, const QString &reason)
    {
        return reason.isEmpty() ? text : text + u'\n' + reason;
    }

private:
    QString m_message;
    QByteArray m_what;
};

} // namespace platform
