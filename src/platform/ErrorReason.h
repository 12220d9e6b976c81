#pragma once

#include "platform/Error.h"

#include <QString>

#include <exception>
#include <new>

namespace platform {

// The reason to show for whatever a piece of work threw: the program's own
// message, or for a failure of the standard library (memory, a broken
// invariant) a Czech sentence that still carries its text for support.
inline QString reasonOf(const std::exception &e)
{
    if (const auto *error = dynamic_cast<const Error *>(&e))
        return error->message();
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return QStringLiteral("Nedostatek paměti.");
    return QStringLiteral("Vnitřní chyba programu: %1").arg(QString::fromLocal8Bit(e.what()));
}

} // namespace platform
