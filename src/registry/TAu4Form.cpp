#include "registry/TAu4Form.h"

#include "registry/RegistryWidgets.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace registry {

TAu4Form::TAu4Form(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(u"Zadejte heslo"_s);
    setProperty("helpAnchor", u"seznam-zadani-hesla"_s);
    m_edit = newEdit(this, false);
    m_edit->setMaxLength(10);
    m_edit->setEchoMode(QLineEdit::Password);
    auto *ok = new QPushButton(u"&OK"_s, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addWidget(ok);
    fixAndCentre(this);
}

QString TAu4Form::askPassword()
{
    m_edit->clear();
    m_edit->setFocus();
    exec();
    const QString typed = m_edit->text();
    m_edit->clear();
    return typed;
}

} // namespace registry
