#include "app/HelpHook.h"

namespace app {

bool TUseHTMLHelp::ApplicationHelp(HelpCommand command, const QVariant &data)
{
    switch (command) {
    case HelpCommand::Context:
    case HelpCommand::ContextPopup: {
        bool ok = false;
        const int context = data.toInt(&ok);
        if (ok && context > 0)
            m_viewer.showContext(context);
        else
            m_viewer.showDefault();
        break;
    }
    case HelpCommand::Key:
        m_viewer.showKeyword(data.toString());
        break;
    case HelpCommand::Quit:
        m_viewer.closeAll();
        break;
    default:
        m_viewer.showDefault();
        break;
    }
    return true;
}

void TUseHTMLHelp::ShowPlace(const QString &anchor, int context)
{
    if (!anchor.isEmpty())
        m_viewer.showAnchor(anchor, context);
    else if (context > 0)
        m_viewer.showContext(context);
    else
        m_viewer.showDefault();
}

} // namespace app
