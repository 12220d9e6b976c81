#include "statements/TEdvpaForm.h"

#include "data/TDM1.h"

using namespace Qt::StringLiterals;

namespace statements {

EditorSpec TEdvpaForm::spec(data::TDM1 &dm)
{
    EditorSpec s;
    s.caption = u"Vyúčtování daně vybírané srážkou"_s;
    s.placeName = u"QestoDataSrazkou1"_s;
    s.table = &dm.Vdvs();
    s.source = &dm.VdvsSource();
    s.layout = vdvsLayout();
    s.backKind = neighbour(Kind, Direction::Backward);
    s.backHint = u"Příloha k vyúčtování - opravy bonusu (PgUp)"_s;
    s.forwardKind = neighbour(Kind, Direction::Forward);
    s.forwardText = u"Tisk"_s;
    s.forwardHint = u"Tisk vyúčtování (PgDn)"_s;
    return s;
}

TEdvpaForm::TEdvpaForm(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
                       QWidget *parent)
    : StatementEditor(dm, messages, std::move(ini), spec(dm), parent), m_calc(dm.Vdvs())
{}

} // namespace statements
