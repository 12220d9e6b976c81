#include "app/HelpKeys.h"

#include "platform/HelpViewer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

namespace app {

void HelpViewerAdapter::showContext(int context)
{
    m_viewer.showContext(context);
}

void HelpViewerAdapter::showKeyword(const QString &keyword)
{
    m_viewer.showKeyword(keyword);
}

void HelpViewerAdapter::showDefault()
{
    m_viewer.showDefault();
}

void HelpViewerAdapter::closeAll()
{
    m_viewer.closeAll();
}

int HelpKeyFilter::contextOf(const QObject *object)
{
    for (; object; object = object->parent()) {
        const int context = object->property("helpContext").toInt();
        if (context > 0)
            return context;
    }
    return 0;
}

bool HelpKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !watched->isWidgetType())
        return false;

    int context = 0;
    if (const auto *menu = qobject_cast<const QMenu *>(watched)) {
        if (const QAction *a = menu->activeAction())
            context = a->property("helpContext").toInt();
    } else {
        context = contextOf(QApplication::focusWidget() ? QApplication::focusWidget() : watched);
    }
    if (context > 0)
        m_help.ApplicationHelp(TUseHTMLHelp::HelpCommand::Context, context);
    else
        m_help.ApplicationHelp(TUseHTMLHelp::HelpCommand::Contents);
    return true;
}

} // namespace app
