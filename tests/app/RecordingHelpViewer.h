#pragma once

#include "app/HelpHook.h"

#include <QStringList>

// Records the help requests that reach the help window, one line each.
struct RecordingHelpViewer : app::IHelpViewer
{
    QStringList calls;
    void showContext(int context) override { calls.append(QStringLiteral("context %1").arg(context)); }
    void showAnchor(const QString &anchor, int context) override
    {
        calls.append(QStringLiteral("anchor %1 %2").arg(anchor).arg(context));
    }
    void showKeyword(const QString &keyword) override { calls.append(QStringLiteral("keyword ") + keyword); }
    void showDefault() override { calls.append(QStringLiteral("default")); }
    void closeAll() override { calls.append(QStringLiteral("quit")); }
};
