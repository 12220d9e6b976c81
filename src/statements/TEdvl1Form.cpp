#include "statements/TEdvl1Form.h"

#include "data/TDM1.h"

using namespace Qt::StringLiterals;

namespace statements {

EditorSpec TEdvl1Form::spec(data::TDM1 &dm)
{
    EditorSpec s;
    s.caption = u"Vyúčtování daně z příjmů ze závislé činnosti"_s;
    s.placeName = u"QestoDataDane1"_s;
    s.table = &dm.Vdvl();
    s.source = &dm.VdvlSource();
    s.layout = vdvlLayout();
    s.forwardKind = neighbour(Kind, Direction::Forward);
    s.forwardHint = u"Počet zaměstnanců (PgDn)"_s;
    return s;
}

TEdvl1Form::TEdvl1Form(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
                       QWidget *parent)
    : StatementEditor(dm, messages, std::move(ini), spec(dm), parent), m_calc(dm.Vdvl())
{}

} // namespace statements
