#pragma once

#include <QString>
#include <QStringList>

// The program's own read-only files: the help topics and the installation
// guide. A build tree keeps them beside the program; an installation keeps
// them in the data folder of its prefix (/usr/share/qesto beside /usr/bin).
// The current folder is never searched: the program changes it to the data
// root at start-up.
namespace platform::ProgramFiles {

// The folders searched, in order: the program's folder, the prefix's data
// folder reached from the program's folder (an installation, also one that
// was moved or unpacked elsewhere), the data folder of the prefix the
// program was built for.
QStringList searchFolders(const QString &programDir);

// The first existing file or folder of that relative name in those folders;
// empty when there is none.
QString find(const QString &name, const QString &programDir);

// find() from the running program's folder, or, when nothing exists, the
// path beside the program, so that a message names the place looked in.
QString locate(const QString &name);

} // namespace platform::ProgramFiles
