#include "registry/RegistryWidgets.h"

#include "widgets/Editz.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>

namespace registry {

QLineEdit *newEdit(QWidget *parent, bool enterTab)
{
    auto *edit = new widgets::TEditz(parent);
    edit->setEnterTab(enterTab);
    return edit;
}

void hint(QWidget *widget, const QString &text)
{
    widget->setToolTip(text);
    widget->setStatusTip(text);
}

void fixAndCentre(QWidget *window)
{
    window->adjustSize();
    window->setFixedSize(window->sizeHint().expandedTo(window->size()));
    const QWidget *parent = window->parentWidget();
    QRect area;
    if (parent && parent->isVisible())
        area = parent->window()->frameGeometry();
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        window->move(area.center() - window->rect().center());
}

} // namespace registry
