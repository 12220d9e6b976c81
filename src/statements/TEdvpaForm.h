// Withholding statement editor "Vyúčtování daně vybírané srážkou".
#pragma once

#include "statements/StatementEditor.h"
#include "statements/VdvsCalc.h"

namespace statements {

// "Vyúčtování daně vybírané srážkou": the withholding statement on three
// pages, Part I by months and the calculated recapitulation. PgUp and "<<"
// go back to the annex of bonus corrections, PgDn and the print button on to
// printing.
class TEdvpaForm : public StatementEditor
{
    Q_OBJECT

public:
    static constexpr StatementKind Kind = StatementKind::Withholding;

    TEdvpaForm(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
               QWidget *parent = nullptr);

    static EditorSpec spec(data::TDM1 &dm);

protected:
    void runExitRule(const QString &field) override { m_calc.runExitRule(field); }

private:
    VdvsCalc m_calc;
};

} // namespace statements
