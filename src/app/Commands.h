#pragma once

#include "statements/StatementKind.h"

#include <QList>
#include <QString>

// The main window's menu tree and speed buttons as data: captions, shortcuts,
// help contexts, hints and which of them need an open settlement. The window
// builds its menus from this table; tests read it to check every command.
namespace app {

enum class Command
{
    None, // a separator
    VyberQesto,
    NastaveniTisku,
    Konec,
    UdajeOFirme,
    DanZavisla,
    PocetZamestnancu,
    Opravy,
    OpravyBonusu,
    DanSrazkou,
    Tisk,
    ElektronickePodani,
    Zalohovani,
    Obnoveni,
    NovyRok,
    Gavrel,
    SeznamFirem,
    KontrolaVsech,
    Navod,
};

struct MenuItemDef
{
    Command command = Command::None;
    QString name;     // object name of the action
    QString caption;  // "&" marks the access letter
    QString shortcut; // portable key sequence text, empty for none
    int helpContext = 0;
    QString hint;
    // Enabled only while a settlement is open, besides its menu's rule.
    bool needsSettlement = false;

    bool isSeparator() const { return command == Command::None; }
};

struct MenuDef
{
    QString name;
    QString caption;
    QString hint;
    bool needsSettlement = false;
    QList<MenuItemDef> items;
};

struct SpeedButtonDef
{
    Command command;
    QString name;
    QString text;
    // "short|long": the short part is the tooltip, the long one goes to the
    // status bar.
    QString hint;
};

const QList<MenuDef> &menuTree();
const QList<SpeedButtonDef> &speedButtons();

// The statement window a command opens through Dpp1; None for the others.
statements::StatementKind statementKind(Command command);

// The short hint before "|" and the long one after it; a hint without "|"
// serves as both.
QString shortHint(const QString &hint);
QString longHint(const QString &hint);

} // namespace app
