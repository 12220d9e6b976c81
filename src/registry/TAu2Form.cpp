#include "registry/TAu2Form.h"

#include "platform/Messages.h"
#include "registry/RegistryWidgets.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace registry {

TAu2Form::TAu2Form(SettlementList &list, const NewSettlement &draft, platform::IMessages &messages,
                   QWidget *parent)
    : QDialog(parent), m_list(list), m_draft(draft), m_messages(messages)
{
    setWindowTitle(u"Nové Qesto"_s);
    setProperty("helpAnchor", u"seznam-nove"_s);
    auto *label = new QLabel(u"Název Qesto"_s, this);
    m_name = newEdit(this);
    m_name->setMaxLength(20);
    m_name->setMinimumWidth(220);
    label->setBuddy(m_name);
    m_create = new QPushButton(u"&Qesto"_s, this);
    m_create->setDefault(true);
    m_close = new QPushButton(u"&Zavřít"_s, this);
    connect(m_create, &QPushButton::clicked, this, &TAu2Form::create);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_name, 0, 1, 1, 2);
    layout->addWidget(m_create, 1, 1);
    layout->addWidget(m_close, 1, 2);
    fixAndCentre(this);
}

void TAu2Form::create()
{
    const QString name = m_name->text();
    if (!m_messages.confirm(u"Opravdu chcete vytvořit Qesto "_s + name + u" ?"_s))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_create->setEnabled(false);
    m_close->setEnabled(false);
    const bool created = m_list.create(m_draft, name);
    m_create->setEnabled(true);
    m_close->setEnabled(true);
    QApplication::restoreOverrideCursor();
    if (created)
        accept();
}

} // namespace registry
