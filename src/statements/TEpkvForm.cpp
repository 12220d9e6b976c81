#include "statements/TEpkvForm.h"

#include "data/TDM1.h"
#include "statements/AnnexLayout.h"
#include "statements/FormPages.h"
#include "widgets/Editz.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace statements {

namespace {

// The one-letter boxes stay narrow so the dates and periods get the room.
void finish(StatementEditor &editor)
{
    for (widgets::TDBEditz *box : editor.pages()->boxes()) {
        if (box->maxLength() == 1)
            box->setFixedWidth(box->fontMetrics().averageCharWidth() * 3 + 12);
    }
    editor.resize(std::max(editor.width(), 780), std::max(editor.height(), 480));
}

} // namespace

EditorSpec TEpkvForm::spec(data::TDM1 &dm)
{
    EditorSpec s;
    s.caption = u"Příloha k vyúčtování - opravy"_s;
    s.placeName = u"Opravy1"_s;
    s.table = &dm.Vpkv();
    s.source = &dm.VpkvSource();
    s.layout = vpkvLayout();
    s.backKind = neighbour(TEpkvForm::Kind, Direction::Backward);
    s.backHint = u"Počet zaměstnanců (PgUp)"_s;
    s.forwardKind = neighbour(TEpkvForm::Kind, Direction::Forward);
    s.forwardHint = u"Příloha k vyúčtování - opravy bonusu (PgDn)"_s;
    return s;
}

TEpkvForm::TEpkvForm(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
                     QWidget *parent)
    : StatementEditor(dm, messages, std::move(ini), spec(dm), parent)
{
    finish(*this);
}

EditorSpec TEpkvbForm::spec(data::TDM1 &dm)
{
    EditorSpec s;
    s.caption = u"Příloha k vyúčtování - opravy bonusu"_s;
    s.placeName = u"OpravyB1"_s;
    s.table = &dm.Vpkb();
    s.source = &dm.VpkbSource();
    s.layout = vpkbLayout();
    s.backKind = neighbour(TEpkvbForm::Kind, Direction::Backward);
    s.backHint = u"Příloha k vyúčtování - opravy (PgUp)"_s;
    s.forwardKind = neighbour(TEpkvbForm::Kind, Direction::Forward);
    s.forwardHint = u"Vyúčtování daně vybírané srážkou (PgDn)"_s;
    return s;
}

TEpkvbForm::TEpkvbForm(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
                       QWidget *parent)
    : StatementEditor(dm, messages, std::move(ini), spec(dm), parent)
{
    finish(*this);
}

} // namespace statements
