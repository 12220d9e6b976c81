#pragma once

#include <cstdio>

namespace platform {

// Whether the stream is a terminal a person watches (not a file or a pipe):
// progress is shown only there, so that a script's logs stay clean.
bool isTerminal(std::FILE *stream);

} // namespace platform
