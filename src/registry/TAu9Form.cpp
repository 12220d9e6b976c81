#include "registry/TAu9Form.h"

#include "registry/RegistryWidgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace registry {

TAu9Form::TAu9Form(const InfoPaths &paths, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(u"Informace"_s);
    setProperty("helpAnchor", u"seznam-informace"_s);
    auto *layout = new QGridLayout(this);
    int row = 0;
    for (const InfoRow &r : informationRows(paths)) {
        layout->addWidget(new QLabel(r.label, this), row, 0);
        auto *value = new QLabel(r.value, this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(value, row, 1);
        layout->addWidget(new QLabel(r.note, this), row, 2);
        ++row;
    }
    auto *ok = new QPushButton(u"&OK"_s, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, row, 1, Qt::AlignHCenter);
    fixAndCentre(this);
}

} // namespace registry
