// Employment statement editor "Vyúčtování daně z příjmů ze závislé činnosti".
#pragma once

#include "statements/StatementEditor.h"
#include "statements/VdvlCalc.h"

namespace statements {

// "Vyúčtování daně z příjmů ze závislé činnosti": the employment statement
// on four pages, Part I by months, the recapitulation and the refunds of
// last year's overpayments. Leaving a changed box recomputes the lines that
// depend on it; PgDn and ">>" go on to the employee count.
class TEdvl1Form : public StatementEditor
{
    Q_OBJECT

public:
    static constexpr StatementKind Kind = StatementKind::Employment;

    TEdvl1Form(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
               QWidget *parent = nullptr);

    static EditorSpec spec(data::TDM1 &dm);

protected:
    void runExitRule(const QString &field) override { m_calc.runExitRule(field); }

private:
    VdvlCalc m_calc;
};

} // namespace statements
