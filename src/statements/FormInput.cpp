#include "statements/FormInput.h"

#include "data/DataError.h"
#include "data/Dataset.h"
#include "data/Field.h"
#include "data/TDM1.h"
#include "statements/TableLayouts.h"
#include "statements/VdvlCalc.h"
#include "statements/VdvsCalc.h"

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace statements {

struct FormInput::Calcs
{
    std::optional<VdvlCalc> vdvl;
    std::optional<VdvsCalc> vdvs;
};

FormInput::FormInput(data::TDM1 &dm, const QString &table)
    : m_layout(layoutOf(table)), m_calcs(std::make_unique<Calcs>())
{
    m_dataset = m_layout.pages.isEmpty() ? nullptr : dm.findTable(m_layout.table);
    if (!m_dataset)
        throw data::DatabaseError(data::DatabaseError::Kind::State,
                                  u"Tabulku %1 nelze vyplňovat po políčkách okna."_s.arg(table));
    if (m_layout.table == u"Vdvl"_s) {
        m_calcs->vdvl.emplace(dm.Vdvl());
        m_exitRule = [this](const QString &field) { return m_calcs->vdvl->runExitRule(field); };
    } else if (m_layout.table == u"Vdvs"_s) {
        m_calcs->vdvs.emplace(dm.Vdvs());
        m_exitRule = [this](const QString &field) { return m_calcs->vdvs->runExitRule(field); };
    } else {
        // The other windows calculate nothing when a box is left.
        m_exitRule = [](const QString &) { return false; };
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

std::optional<bool> checkBoxState(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == u"1"_s || t == u"ano"_s || t == u"true"_s)
        return true;
    if (t == u"0"_s || t == u"ne"_s || t == u"false"_s)
        return false;
    return std::nullopt;
}

QString FormInput::type(const QString &field, const QString &text)
{
    const FormCell *cell = m_layout.box(field);
    data::Field *f = cell ? m_dataset->findField(field) : nullptr;
    if (!f)
        throw data::DatabaseError(
            data::DatabaseError::Kind::MissingField,
            u"Pole '%1' nemá v okně tabulky %2 žádné políčko."_s.arg(field, m_layout.table));
    if (f->isCalculated() || f->isReadOnly())
        throw data::DatabaseError(data::DatabaseError::Kind::State,
                                  u"Pole '%1' se vypočítává, nelze do něj psát."_s.arg(f->fieldName()));
    if (!m_dataset->isEditing())
        m_dataset->edit();
    const QString remembered = f->asString();
    switch (cell->kind) {
    case FormCell::Kind::Check: {
        const std::optional<bool> state = checkBoxState(text);
        if (!state)
            throw data::DatabaseError(
                data::DatabaseError::Kind::InvalidValue,
                u"'%1' není platná hodnota zaškrtávacího pole %2 (1 nebo 0, ano nebo ne)."_s.arg(
                    text, f->fieldName()));
        f->setAsBoolean(*state);
        if (!cell->uncheckedCaption.isEmpty())
            return cell->captionFor(*state);
        return {};
    }
    case FormCell::Kind::Choice: {
        // The list offers only its own texts.
        const auto chosen = std::find_if(cell->choices.cbegin(), cell->choices.cend(), [&](const QString &c) {
            return c.compare(text.trimmed(), Qt::CaseInsensitive) == 0;
        });
        if (chosen == cell->choices.cend())
            throw data::DatabaseError(
                data::DatabaseError::Kind::InvalidValue,
                u"'%1' není v nabídce pole %2: %3."_s.arg(text, f->fieldName(), cell->choices.join(u", "_s)));
        f->setAsString(*chosen);
        return {};
    }
    default:
        break;
    }
    // The box takes no more characters than it allows.
    const int chars = cell->maxChars > 0 ? cell->maxChars : f->size();
    const QString typed = chars > 0 ? text.left(chars) : text;
    f->setText(typed);
    if (f->asString() != remembered)
        m_exitRule(f->fieldName());
    return {};
}

void FormInput::post()
{
    if (m_dataset->isEditing())
        m_dataset->post();
}

} // namespace statements
