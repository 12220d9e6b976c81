#include "platform/Terminal.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace platform {

bool isTerminal(std::FILE *stream)
{
#ifdef _WIN32
    return stream && _isatty(_fileno(stream)) != 0;
#else
    return stream && isatty(fileno(stream)) != 0;
#endif
}

} // namespace platform
