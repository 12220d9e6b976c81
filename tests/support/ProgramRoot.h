#pragma once

// A data root where the program looks for it by default, with settlements
// made as the list makes them, for tests that run the whole program. While it
// lives the program finds it (QESTO_COMMON_APPDATA) and logs its message
// boxes instead of showing them (QESTO_MESSAGES_LOG); afterwards the
// environment and the current directory are as they were.

#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "data/TDM1.h"
#include "platform/FileOps.h"
#include "settlement/AppPaths.h"

#include <QDir>
#include <QTemporaryDir>

namespace testsupport {

class ProgramRoot
{
public:
    explicit ProgramRoot(const QStringList &names)
    {
        qputenv("QESTO_COMMON_APPDATA", QFile::encodeName(m_common.path()));
        qputenv("QESTO_MESSAGES_LOG", QFile::encodeName(messagesLog()));
        root = platform::FileOps::withTrailingSeparator(m_common.path()) +
               settlement::AppPaths::defaultSubdirectory();
        if (const QString error = data::createDataRoot(root); !error.isEmpty())
            qFatal("%s", qPrintable(error));
        data::TDM1 dm{data::Collaborators::tablesOnly()};
        dm.DM1Create(root);
        platform::ScriptedMessages messages;
        QString fileDir = root;
        registry::test::createSettlements({root, fileDir, QStringLiteral("215")}, messages, dm.openOptions(),
                                          names);
    }
    ~ProgramRoot()
    {
        QDir::setCurrent(m_previousDir);
        qunsetenv("QESTO_COMMON_APPDATA");
        qunsetenv("QESTO_MESSAGES_LOG");
    }
    ProgramRoot(const ProgramRoot &) = delete;
    ProgramRoot &operator=(const ProgramRoot &) = delete;

    QString messagesLog() const { return m_common.filePath(QStringLiteral("messages.log")); }

    QString root; // stored path, ending with a separator

private:
    QTemporaryDir m_common;
    QString m_previousDir = QDir::currentPath();
};

} // namespace testsupport
