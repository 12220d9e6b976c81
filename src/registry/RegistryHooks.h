#pragma once

#include <QString>

namespace registry {

// What the settlement list needs from the rest of the program: the main
// window implements it; tests record the calls or leave the defaults.
class IRegistryHooks
{
public:
    virtual ~IRegistryHooks() = default;

    // The open settlement lets go of its tables: no settlement is open while
    // the list is shown, and a settlement is tested, deleted or the data root
    // changed only while nothing of ours holds its files.
    virtual void disconnectSettlementDatabase() {}
    // The table session follows a new data root (network control directory).
    virtual void attachDataRoot(const QString & /*fileDir*/) {}
    // The first panel of the main window's status bar.
    virtual void showStatus(const QString & /*text*/) {}
    // Hourglass cursor around long file work.
    virtual void setBusy(bool /*busy*/) {}
};

// The password prompt "Zadejte heslo": shown modally, returns what was typed
// whatever way it was closed, and is empty again afterwards.
class IPasswordPrompt
{
public:
    virtual ~IPasswordPrompt() = default;
    virtual QString askPassword() = 0;
};

} // namespace registry
