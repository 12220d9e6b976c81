// Annex editors "Příloha k vyúčtování - opravy" and "... - opravy bonusu".
#pragma once

#include "statements/StatementEditor.h"

namespace statements {

// "Příloha k vyúčtování - opravy": the corrections of withheld advances and
// tax (Vpkv) on two pages of rows. Nothing is calculated. PgUp and "<<" go
// back to the employee count, PgDn and ">>" on to the bonus corrections.
class TEpkvForm : public StatementEditor
{
    Q_OBJECT

public:
    static constexpr StatementKind Kind = StatementKind::Corrections;

    TEpkvForm(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
              QWidget *parent = nullptr);

    static EditorSpec spec(data::TDM1 &dm);
};

// "Příloha k vyúčtování - opravy bonusu": the corrections of the tax bonus
// (Vpkb). PgUp and "<<" go back to the corrections, PgDn and ">>" on to the
// withholding statement.
class TEpkvbForm : public StatementEditor
{
    Q_OBJECT

public:
    static constexpr StatementKind Kind = StatementKind::BonusCorrections;

    TEpkvbForm(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
               QWidget *parent = nullptr);

    static EditorSpec spec(data::TDM1 &dm);
};

} // namespace statements
