#pragma once

#include "platform/Error.h"

#include <QString>

namespace paradox {

// The one error type of the table engine. The text is Czech and ready to be
// shown to the user; it names the file concerned.
class TableError : public platform::Error
{
public:
    enum class Kind
    {
        Damaged,      // header, chain or index that cannot be trusted
        Unreadable,   // missing file, no permission, I/O failure
        InUse,        // another handle, process or computer holds the table
        Unsupported,  // a level, type or feature the engine does not handle
        Invalid,      // the caller asked for something the table cannot do
        KeyViolation, // a second record with the same primary key
    };

    TableError(Kind kind, const QString &message) : platform::Error(message), m_kind(kind) {}

    Kind kind() const noexcept { return m_kind; }

private:
    Kind m_kind;
};

} // namespace paradox
