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
    void showAnchor(const QString &anchor, int context) override;
    void showKeyword(const QString &keyword) override;
    void showDefault() override;
    void closeAll() override;

private:
    platform::HelpViewer &m_viewer;
};

// Turns F1 anywhere in the program into a help request: in an open menu the
// selected item's context, elsewhere the place of the focused control: the
// anchor of it or of the nearest parent that has one (property
// "helpAnchor"), with the context found the same way (property
// "helpContext") for when the help lacks the anchor; else the default topic.
class HelpKeyFilter : public QObject
{
    Q_OBJECT

public:
    explicit HelpKeyFilter(TUseHTMLHelp &help, QObject *parent = nullptr) : QObject(parent), m_help(help) {}

    // The context a widget asks for; 0 when neither it nor a parent has one.
    static int contextOf(const QObject *object);
    // The anchor a widget asks for; empty when neither it nor a parent has one.
    static QString anchorOf(const QObject *object);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TUseHTMLHelp &m_help;
};

} // namespace app
