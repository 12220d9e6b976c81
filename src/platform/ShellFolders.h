#pragma once

#include <QString>

namespace platform::ShellFolders {

// The all-users application data folder (Windows: ProgramData). On Linux
// there is no shared writable equivalent, so it is the user's XDG data
// directory. The environment variable QESTO_COMMON_APPDATA overrides it.
// No trailing separator; empty when the lookup fails.
QString commonAppData();

// The user's documents folder; QESTO_PERSONAL overrides it. No trailing
// separator; empty when the lookup fails.
QString personal();

} // namespace platform::ShellFolders
