#include "app/HelpKeys.h"

#include "platform/HelpViewer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace app {

void HelpViewerAdapter::showContext(int context)
{
    m_viewer.showContext(context);
}

void HelpViewerAdapter::showAnchor(const QString &anchor, int context)
{
    m_viewer.showAnchor(anchor, context);
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

QString HelpKeyFilter::anchorOf(const QObject *object)
{
    // A box bound to a field is named after it ("DBEditDic"); a window whose
    // boxes the help explains one by one names the help's prefix for them
    // ("helpPrefix" "firma": DIČ is at "firma-dic").
    static const QStringList boundNames = {u"DBEdit"_s, u"DBCheckBox"_s, u"DBComboBox"_s};
    // An entry of a list may name its own place (a finding of the checks).
    if (const auto *view = qobject_cast<const QAbstractItemView *>(object)) {
        const QString anchor = view->currentIndex().data(platform::HelpAnchorRole).toString();
        if (!anchor.isEmpty())
            return anchor;
    }
    QString field;
    if (object) {
        const QString name = object->objectName();
        for (const QString &prefix : boundNames) {
            if (name.startsWith(prefix) && name.size() > prefix.size())
                field = name.mid(prefix.size()).toLower();
        }
    }
    for (; object; object = object->parent()) {
        const QString anchor = object->property("helpAnchor").toString();
        if (!anchor.isEmpty())
            return anchor;
        const QString prefix = object->property("helpPrefix").toString();
        if (!prefix.isEmpty() && !field.isEmpty())
            return prefix + u'-' + field;
    }
    return {};
}

bool HelpKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !watched->isWidgetType())
        return false;

    if (const auto *menu = qobject_cast<const QMenu *>(watched)) {
        const QAction *a = menu->activeAction();
        m_help.ShowPlace({}, a ? a->property("helpContext").toInt() : 0);
        return true;
    }
    const QObject *focus = QApplication::focusWidget() ? QApplication::focusWidget() : watched;
    m_help.ShowPlace(anchorOf(focus), contextOf(focus));
    return true;
}

} // namespace app
