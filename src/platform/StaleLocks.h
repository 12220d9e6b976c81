#pragma once

#include <QString>

namespace platform {

// Clears the lock files a table engine leaves in a directory: deletes
// "Pdoxusrs.lck" (any letter case) only when no process holds it, and only
// when that succeeded also "Paradox.lck". Returns whether "Pdoxusrs.lck" was
// deleted; a missing one counts as not deleted, as a failed DeleteFile would.
bool removeStaleLockFiles(const QString &dir);

// The entry of dir whose name equals name without regard to letter case, as
// a full path; empty when there is none. Lock files written on Windows may
// carry any case, and every process must agree on one file.
QString findFileNoCase(const QString &dir, const QString &name);

} // namespace platform
