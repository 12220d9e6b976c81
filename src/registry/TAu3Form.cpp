#include "registry/TAu3Form.h"

#include "registry/RegistryWidgets.h"
#include "registry/SettlementList.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace registry {

TAu3Form::TAu3Form(SettlementList &list, QWidget *parent) : QDialog(parent), m_list(list)
{
    const auto entry = list.current();
    setWindowTitle(u"Heslo pro Qesto "_s + (entry ? entry->Nazev : QString()));
    setProperty("helpAnchor", u"seznam-heslo"_s);
    const QString stored = entry ? list.password(entry->Cislo) : QString();
    m_adding = stored.isEmpty();

    auto *oldLabel = new QLabel(u"Původní heslo"_s, this);
    auto *newLabel = new QLabel(u"Nové heslo"_s, this);
    m_first = newEdit(this);
    m_second = newEdit(this);
    m_first->setMaxLength(10);
    m_second->setMaxLength(10);
    // The stored password, only its length shows.
    auto *shown = new QLineEdit(QString(stored.size(), u'*'), this);
    shown->setEnabled(false);
    m_action = new QPushButton(m_adding ? u"&Přidat"_s : u"&Změnit"_s, this);
    m_action->setDefault(true);
    auto *close = new QPushButton(u"&Zavřít"_s, this);
    connect(m_action, &QPushButton::clicked, this, &TAu3Form::act);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QGridLayout(this);
    if (m_adding) {
        layout->addWidget(newLabel, 0, 0);
        layout->addWidget(m_first, 0, 1);
        oldLabel->hide();
        m_second->hide();
    } else {
        layout->addWidget(oldLabel, 0, 0);
        layout->addWidget(m_first, 0, 1);
        layout->addWidget(newLabel, 1, 0);
        layout->addWidget(m_second, 1, 1);
    }
    layout->addWidget(shown, 2, 1);
    layout->addWidget(m_action, 3, 0);
    layout->addWidget(close, 3, 1);
    fixAndCentre(this);
}

void TAu3Form::act()
{
    const SettlementList::PasswordChange outcome =
        m_adding ? m_list.addPassword(m_first->text())
                 : m_list.changePassword(m_first->text(), m_second->text());
    if (outcome == SettlementList::PasswordChange::Done)
        accept();
    else if (outcome == SettlementList::PasswordChange::WrongOld)
        m_first->setFocus();
}

} // namespace registry
