#include "registry/TAu6Form.h"

#include "registry/RegistryWidgets.h"

#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace registry {

TAu6Form::TAu6Form(const QStringList &lines, int selected, QWidget *parent)
    : QDialog(parent), m_positions(lines, selected)
{
    setWindowTitle(u"Pozice Qesto"_s);
    setProperty("helpAnchor", u"seznam-pozice"_s);
    m_view = new QListWidget(this);
    m_view->setMinimumSize(260, 240);
    auto *layout = new QGridLayout(this);
    layout->addWidget(m_view, 0, 0, 6, 1);
    const struct
    {
        QString caption;
        void (PositionList::*move)();
    } buttons[] = {
        {u"&Nahoru"_s, &PositionList::moveUp},
        {u"&Dolů"_s, &PositionList::moveDown},
        {u"&První"_s, &PositionList::moveFirst},
        {u"P&oslední"_s, &PositionList::moveLast},
    };
    int row = 0;
    for (const auto &b : buttons) {
        auto *button = new QPushButton(b.caption, this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, move = b.move] { apply(move); });
        layout->addWidget(button, row++, 1);
    }
    auto *close = new QPushButton(u"&Zavřít"_s, this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 5, 1);
    connect(m_view, &QListWidget::currentRowChanged, this, [this](int r) {
        if (r >= 0)
            m_positions.setSelected(r);
    });
    show_();
    fixAndCentre(this);
}

void TAu6Form::apply(void (PositionList::*move)())
{
    (m_positions.*move)();
    show_();
    m_view->setFocus();
}

void TAu6Form::show_()
{
    const QSignalBlocker blocker(m_view);
    m_view->clear();
    m_view->addItems(m_positions.lines());
    m_view->setCurrentRow(m_positions.selected());
}

} // namespace registry
