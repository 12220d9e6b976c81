#include "registry/TAu1Form.h"

#include "registry/RegistryWidgets.h"
#include "registry/SettlementList.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace registry {

TAu1Form::TAu1Form(SettlementList &list, QWidget *parent) : QDialog(parent), m_list(list)
{
    const auto entry = list.current();
    setWindowTitle(u"Název Qesto č. "_s + QString::number(entry ? entry->Cislo : 0));
    setProperty("helpAnchor", u"seznam-nazev"_s);
    m_name = newEdit(this, false);
    m_name->setText(entry ? entry->Nazev : QString());
    m_name->setMaxLength(20);
    m_name->setMinimumWidth(220);
    // Enter here confirms the name: it reaches the default button.
    auto *ok = new QPushButton(u"&OK"_s, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_name);
    layout->addWidget(ok);
    fixAndCentre(this);
}

void TAu1Form::done(int result)
{
    const auto entry = m_list.current();
    if (entry && entry->Nazev != m_name->text())
        m_list.rename(m_name->text());
    QDialog::done(result);
}

} // namespace registry
