#include "widgets/HelpRequest.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>

namespace widgets {

void askForHelp(QWidget *widget)
{
    // The help hook asks the focused widget for its place.
    widget->setFocus(Qt::OtherFocusReason);
    // The help hook listens to the whole application for F1; a key event
    // sent through it reaches the hook as a pressed key would.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

void helpOnDoubleClick(QAbstractItemView *view)
{
    QObject::connect(view, &QAbstractItemView::doubleClicked, view, [view](const QModelIndex &index) {
        view->setCurrentIndex(index);
        askForHelp(view);
    });
}

} // namespace widgets
