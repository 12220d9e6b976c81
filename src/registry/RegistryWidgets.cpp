#include "registry/RegistryWidgets.h"

#ifdef QESTO_REGISTRY_HAVE_EDITZ
#include "statements/Editz.h"
#endif

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>

namespace registry {

void EnterAsTab::install(QLineEdit *edit)
{
    edit->installEventFilter(new EnterAsTab(edit));
}

bool EnterAsTab::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false;
    if (event->type() == QEvent::KeyPress) {
        const bool back = key->modifiers() & Qt::ShiftModifier;
        QKeyEvent tab(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                      back ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(watched, &tab);
    }
    event->accept();
    return true;
}

QLineEdit *newEdit(QWidget *parent, bool enterTab)
{
#ifdef QESTO_REGISTRY_HAVE_EDITZ
    auto *edit = new statements::TEditz(parent);
    edit->setEnterTab(enterTab);
#else
    auto *edit = new QLineEdit(parent);
    if (enterTab)
        EnterAsTab::install(edit);
#endif
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
