#pragma once

#include <QString>

namespace platform {

// The modal message boxes every window uses. Handed to whoever shows
// messages, so tests can answer them with a scripted implementation.
class IMessages
{
public:
    enum class Kind
    {
        Error,
        Information,
        Confirmation,
        Question
    };
    enum class Answer
    {
        Yes,
        No,
        Cancel
    };

    virtual ~IMessages() = default;

    // One OK button.
    virtual void error(const QString &text) = 0;
    virtual void information(const QString &text) = 0;
    // Yes and No; true only for Yes.
    virtual bool confirm(const QString &text) = 0;
    // Yes, No and Cancel; closing the box counts as Cancel.
    virtual Answer question(const QString &text) = 0;
};

const char *kindName(IMessages::Kind kind) noexcept;

} // namespace platform
