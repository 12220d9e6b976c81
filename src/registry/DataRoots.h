#pragma once

#include <QString>

namespace registry {

// The directories the registry works in, owned by the program's start-up
// state: FileDir is changed here when a network data root is chosen, so the
// registry holds references, not copies. Stored paths ending with "\".
struct DataRoots
{
    const QString &FileDirLocal; // local data root: the computer's own settings
    QString &FileDir;            // data root in use: the list and the settlements
    // "215": part of the conversion check's INI keys and of the default
    // network directory name.
    QString yearTag;
};

} // namespace registry
