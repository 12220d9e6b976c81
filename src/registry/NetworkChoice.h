#pragma once

#include "registry/DataRoots.h"
#include "registry/RegistryHooks.h"

#include <QString>
#include <QStringList>

namespace platform {
class IMessages;
}

namespace registry {

class SettlementList;

// The choice between the local data root and a network one ("Výběr práce s
// daty"): what the window shows, preparing a network data root ("&Kopírovat
// data") and applying the choice when the window closes.
class NetworkChoice
{
public:
    // Reads [Qesto] "Net" and "Path" of the local Qesto.ini.
    NetworkChoice(DataRoots roots, platform::IMessages &messages, SettlementList &list,
                  IRegistryHooks *hooks = nullptr);

    // The second radio button: work with the network data root.
    bool network() const { return m_network; }
    void setNetwork(bool network) { m_network = network; }
    // The path of the network "Data.DB".
    const QString &path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }

    // "QESTO" + year tag.
    QString defaultDirectoryName() const;
    // The drives a network data root can be prepared on: drive letters on
    // Windows, the writable mounted file systems elsewhere.
    static QStringList drives();
    // A drive letter (with or without ":") in upper case with ":\", or the
    // root of a mounted file system with its separator.
    static QString driveRoot(const QString &drive);
    // The data root "&Kopírovat data" prepares, ending with a separator.
    static QString targetDir(const QString &drive, const QString &directoryName);
    // The directory part of a path, ending with its separator; empty when
    // there is none.
    static QString directoryPart(const QString &path);

    // Where the file dialog "..." starts: the directory of the path when it
    // exists, otherwise the root of the drive of the data root in use.
    QString dialogStartDir() const;

    // "&Kopírovat data": asks, creates the target, copies the empty list and
    // the templates (existing lists are kept) and selects the new root.
    // Returns whether the data were copied.
    bool copyData(const QString &drive, const QString &directoryName);

    // Closing the window: stores the choice, switches FileDir (back to
    // the local root with a message when the network one is unreachable)
    // and attaches the list to it.
    void apply();

private:
    DataRoots m_roots;
    platform::IMessages &m_messages;
    SettlementList &m_list;
    IRegistryHooks m_noHooks;
    IRegistryHooks &m_hooks;
    bool m_network = false;
    QString m_path;
};

} // namespace registry
