#pragma once

#include <QString>

// Reasons for failed file operations in the user's language. The system
// words them in English ("No space left on device") or not at all ("Unknown
// error"); the common causes a user can do something about get a Czech
// sentence, the rest keep the system's text.
namespace platform::SystemError {

// The error code the system left for the last failed call on this thread
// (errno, or GetLastError on Windows). Read it before anything else can
// overwrite it.
int lastCode() noexcept;

// The Czech sentence for a system error code; the system's own text for a
// code without one; empty for 0 and for a negative code (a failure the
// system gave no code for).
QString reason(int code);

// The Czech sentence for a reason already put into words by the system or by
// Qt (QFile::errorString()), so that a message built from it names the real
// cause; other texts come back unchanged.
QString translate(const QString &systemText);

// "Soubor <path>: <reason>" – what a message about one file says about it.
QString forFile(const QString &path, const QString &reason);

// Whether the code means that the disk (or the user's quota on it) is full.
bool isDiskFull(int code) noexcept;

} // namespace platform::SystemError
