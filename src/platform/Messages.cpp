#include "platform/Messages.h"

namespace platform {

const char *kindName(IMessages::Kind kind) noexcept
{
    switch (kind) {
    case IMessages::Kind::Error:
        return "error";
    case IMessages::Kind::Information:
        return "information";
    case IMessages::Kind::Confirmation:
        return "confirmation";
    case IMessages::Kind::Question:
        return "question";
    }
    return "unknown";
}

} // namespace platform
