#pragma once

#include "app/HelpHook.h"

#include <QObject>

namespace platform {
class HelpViewer;
}

namespace app {

// The help window of the program behind the help hook.
class HelpViewerAdapter : public IHelpViewer
{
public:
    explicit HelpViewerAdapter(platform::HelpViewer &viewer) : m_viewer(viewer) {}
    void showContext(int context) override;
    void showKeyword(const QString &keyword) override;
    void showDefault() override;
    void closeAll() override;

private:
    platform::HelpViewer &m_viewer;
};

// Turns F1 anywhere in the program into a help request: in an open menu the
// selected item's context, elsewhere the context of the focused control or
// the nearest of its parents that has one (property "helpContext"), else
// the default topic.
class HelpKeyFilter : public QObject
{
    Q_OBJECT

public:
    explicit HelpKeyFilter(TUseHTMLHelp &help, QObject *parent = nullptr) : QObject(parent), m_help(help) {}

    // The context a widget asks for; 0 when neither it nor a parent has one.
    static int contextOf(const QObject *object);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TUseHTMLHelp &m_help;
};

} // namespace app
