#include "statements/FormInput.h"

#include "data/DataError.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "data/TDM1.h"
#include "statements/AnnexLayout.h"
#include "statements/VdvlCalc.h"
#include "statements/VdvsCalc.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace statements {

struct FormInput::Calcs
{
    std::optional<VdvlCalc> vdvl;
    std::optional<VdvsCalc> vdvs;
};

FormInput::FormInput(data::TDM1 &dm, const QString &table) : m_calcs(std::make_unique<Calcs>())
{
    if (table.compare(u"Vdvl"_s, Qt::CaseInsensitive) == 0) {
        m_layout = vdvlLayout();
        m_dataset = &dm.Vdvl();
        m_calcs->vdvl.emplace(dm.Vdvl());
        m_exitRule = [this](const QString &field) { return m_calcs->vdvl->runExitRule(field); };
    } else if (table.compare(u"Vdvs"_s, Qt::CaseInsensitive) == 0) {
        m_layout = vdvsLayout();
        m_dataset = &dm.Vdvs();
        m_calcs->vdvs.emplace(dm.Vdvs());
        m_exitRule = [this](const QString &field) { return m_calcs->vdvs->runExitRule(field); };
    } else if (table.compare(u"Vpkv"_s, Qt::CaseInsensitive) == 0) {
        // The annexes calculate nothing.
        m_layout = vpkvLayout();
        m_dataset = &dm.Vpkv();
        m_exitRule = [](const QString &) { return false; };
    } else if (table.compare(u"Vpkb"_s, Qt::CaseInsensitive) == 0) {
        m_layout = vpkbLayout();
        m_dataset = &dm.Vpkb();
        m_exitRule = [](const QString &) { return false; };
    } else {
        throw data::DatabaseError(data::DatabaseError::Kind::State,
                                  u"Tabulku %1 nelze vyplňovat po políčkách vyúčtování."_s.arg(table));
    }
    nameBoxes();
}

FormInput::~FormInput() = default;

void FormInput::nameBoxes()
{
    // Refusals name the box as the window does.
    for (const FormPage &page : std::as_const(m_layout.pages)) {
        for (const FormCell &cell : page.cells) {
            if (!cell.isBox() || cell.label.isEmpty())
                continue;
            if (data::Field *f = m_dataset->findField(cell.text))
                f->setDisplayLabel(cell.label);
        }
    }
}

void FormInput::type(const QString &field, const QString &text)
{
    const FormCell *cell = m_layout.box(field);
    data::Field *f = cell ? m_dataset->findField(field) : nullptr;
    if (!f)
        throw data::DatabaseError(data::DatabaseError::Kind::MissingField,
                                  u"Pole '%1' nemá ve vyúčtování žádné políčko."_s.arg(field));
    if (f->isCalculated() || f->isReadOnly())
        throw data::DatabaseError(data::DatabaseError::Kind::State,
                                  u"Pole '%1' se vypočítává, nelze do něj psát."_s.arg(f->fieldName()));
    // The box takes no more characters than it allows.
    const int chars = cell->maxChars > 0 ? cell->maxChars : f->size();
    const QString typed = chars > 0 ? text.left(chars) : text;
    if (!m_dataset->isEditing())
        m_dataset->edit();
    const QString remembered = f->asString();
    f->setText(typed);
    if (f->asString() != remembered)
        m_exitRule(f->fieldName());
}

void FormInput::post()
{
    if (m_dataset->isEditing())
        m_dataset->post();
}

} // namespace statements
