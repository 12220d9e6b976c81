#pragma once

#include "paradox/Error.h"

#include "platform/Error.h"

#include <QString>

namespace data {

// The one error type of the dataset layer. The text is Czech and ready for a
// message box; a refused value leaves the record as it was before the
// assignment, so the caller can keep the user in the box.
class DatabaseError : public platform::Error
{
public:
    enum class Kind
    {
        InvalidValue, // text that does not read as the field's type, or out of range
        State,        // operation not allowed in the table's current state
        MissingField, // the file lacks a field the program declares
        KeyViolation, // a second record with the same primary key
        Engine,       // the table engine failed (damaged file, lock, I/O)
    };

    DatabaseError(Kind kind, const QString &message) : platform::Error(message), m_kind(kind) {}

    Kind kind() const noexcept { return m_kind; }

private:
    Kind m_kind;
};

// Runs an engine call and turns its error into the layer's one error type, so
// callers above the data layer catch one exception type only.
template <class F> auto withEngineErrors(F &&call) -> decltype(call())
{
    try {
        return call();
    } catch (const paradox::TableError &e) {
        const bool keyViolation = e.kind() == paradox::TableError::Kind::KeyViolation;
        throw DatabaseError(keyViolation ? DatabaseError::Kind::KeyViolation : DatabaseError::Kind::Engine,
                            e.message());
    }
}

} // namespace data
