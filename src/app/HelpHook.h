#pragma once

#include <QString>
#include <QVariant>

namespace app {

// The help window as the help hook uses it.
class IHelpViewer
{
public:
    virtual ~IHelpViewer() = default;
    virtual void showContext(int context) = 0;
    // The topic at the anchor; the context's topic when no topic has it.
    virtual void showAnchor(const QString &anchor, int context) = 0;
    virtual void showKeyword(const QString &keyword) = 0;
    virtual void showDefault() = 0;
    virtual void closeAll() = 0;
};

// The application's help handler: every help request of the program ends
// here and is served from the program's own help, never passed on.
class TUseHTMLHelp
{
public:
    enum class HelpCommand
    {
        Context,      // data: the context number
        ContextPopup, // data: the context number
        Key,          // data: the keyword
        Quit,
        Contents,
        Other,
    };

    explicit TUseHTMLHelp(IHelpViewer &viewer) : m_viewer(viewer) {}

    // Always true: the request was handled.
    bool ApplicationHelp(HelpCommand command, const QVariant &data = {});
    // A box's own place in its window's topic: the anchor, or failing an
    // anchor the context, or failing both the default topic.
    void ShowPlace(const QString &anchor, int context);

private:
    IHelpViewer &m_viewer;
};

} // namespace app
