#include "app/Commands.h"

using namespace Qt::Literals::StringLiterals;

namespace app {

namespace {

MenuItemDef separator()
{
    return {};
}

QList<MenuDef> buildMenuTree()
{
    // One line per command, as the table it is.
    // clang-format off
    return {
        {u"Soubor1"_s,
         u"&Soubor"_s,
         u"Soubor"_s,
         false,
         {
             {Command::VyberQesto, u"VyberQesto1"_s, u"&Výběr Qesto"_s, u"Ctrl+A"_s, 0, u"Výběr Qesto"_s, false},
             separator(),
             {Command::NastaveniTisku, u"NastaveniTisku1"_s, u"&Nastavení tisku ..."_s, {}, 0,
              u"Zobrazí dialog pro nastavení tiskárny"_s, true},
             separator(),
             {Command::Konec, u"Konec1"_s, u"&Konec"_s, {}, 0, u"Ukončí aplikaci"_s, false},
         }},
        {u"SpolecneUdaje1"_s,
         u"Sp&olečné údaje"_s,
         u"Společné údaje"_s,
         true,
         {
             {Command::UdajeOFirme, u"UdajeOFirme1"_s, u"Údaje o &firmě"_s, {}, 5, u"Údaje o firmě (F1)"_s, false},
         }},
        {u"Qesto1"_s,
         u"&Qesto"_s,
         u"&Qesto"_s,
         true,
         {
             {Command::DanZavisla, u"DanZavisla1"_s, u"&Vyúčtování daně z příjmů ze závislé činnosti"_s, {}, 0,
              u"Vyúčtování daně z příjmů ze závislé činnosti"_s, false},
             separator(),
             {Command::PocetZamestnancu, u"PocetZamestnancu1"_s, u"Počet &zaměstnanců"_s, {}, 16,
              u"Počet zaměstnanců (F1)"_s, false},
             {Command::Opravy, u"Opravy1"_s, u"Příloha k vyúčtování - &opravy"_s, {}, 17,
              u"Příloha k vyúčtování - opravy (F1)"_s, false},
             {Command::OpravyBonusu, u"OpravyB1"_s, u"Příloha k vyúčtování - opravy &bonusu"_s, {}, 34,
              u"Příloha k vyúčtování - opravy bonusu (F1)"_s, false},
             separator(),
             {Command::DanSrazkou, u"DanSrazkou1"_s, u"Vyúčtování daně vybírané &srážkou"_s, {}, 18,
              u"Vyúčtování daně vybírané srážkou (F1)"_s, false},
             separator(),
             {Command::Tisk, u"Tisk1"_s, u"&Tisk"_s, u"F6"_s, 0, u"Tisk vyúčtování"_s, false},
             {Command::ElektronickePodani, u"ElektronickePodani1"_s, u"&Elektronické podání (XML)"_s, {}, 0,
              u"Vyúčtování jako soubor XML pro elektronické podání"_s, false},
         }},
        {u"DalsiMoznosti1"_s,
         u"Další &možnosti"_s,
         u"Další možnosti"_s,
         true,
         {
             {Command::Zalohovani, u"ZalohovaniDat1"_s, u"&Zálohování dat"_s, {}, 36, u"Zazálohuje data (F1)"_s,
              false},
             {Command::Obnoveni, u"ObnoveniDat1"_s, u"&Obnovení dat"_s, {}, 36, u"Obnoví data (F1)"_s, false},
             separator(),
             {Command::NovyRok, u"NovyRok1"_s, u"&Nový rok"_s, {}, 0, u"Nový rok"_s, false},
             separator(),
             {Command::Gavrel, u"Gavrel1"_s, u"Přenos údajů z programu &Gavrel"_s, {}, 33,
              u"Přenos údajů z našeho programu Gavrel (F1)"_s, false},
             separator(),
             {Command::SeznamFirem, u"SeznamFirem1"_s, u"Tisk &seznamu firem"_s, {}, 0, u"Tisk seznamu firem"_s,
              false},
             {Command::KontrolaVsech, u"KontrolaVsech1"_s, u"&Kontrola všech Qesto"_s, {}, 48,
              u"Kontrola, tisk a elektronické podání všech Qesto (F1)"_s, false},
         }},
        {u"Napoveda1"_s,
         u"Nápo&věda"_s,
         u"Nápověda"_s,
         false,
         {
             {Command::Navod, u"NavodKProgramu1"_s, u"&Návod k programu"_s, {}, 0, u"Návod k programu"_s, false},
         }},
    };
    // clang-format on
}

} // namespace

const QList<MenuDef> &menuTree()
{
    static const QList<MenuDef> tree = buildMenuTree();
    return tree;
}

const QList<SpeedButtonDef> &speedButtons()
{
    static const QList<SpeedButtonDef> buttons = {
        {Command::UdajeOFirme, u"SpeedButtonFirma"_s, u"Údaje o firmě"_s, u"Údaje o firmě|Údaje o firmě"_s},
        {Command::DanZavisla, u"SpeedButtonQesto"_s, u"Qesto"_s, u"Qesto|Qesto"_s},
    };
    return buttons;
}

statements::StatementKind statementKind(Command command)
{
    using statements::StatementKind;
    switch (command) {
    case Command::DanZavisla:
        return StatementKind::Employment;
    case Command::PocetZamestnancu:
        return StatementKind::EmployeeCount;
    case Command::Opravy:
        return StatementKind::Corrections;
    case Command::DanSrazkou:
        return StatementKind::Withholding;
    case Command::Tisk:
        return StatementKind::Print;
    case Command::OpravyBonusu:
        return StatementKind::BonusCorrections;
    default:
        return StatementKind::None;
    }
}

QString shortHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.left(bar);
}

QString longHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

} // namespace app
