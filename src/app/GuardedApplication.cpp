#include "app/GuardedApplication.h"

#include "platform/Error.h"
#include "platform/Messages.h"

#include <QLoggingCategory>

#include <exception>

using namespace Qt::StringLiterals;

namespace app {

namespace {
Q_LOGGING_CATEGORY(guardLog, "qesto.events")
}

GuardedApplication::GuardedApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const platform::Error &e) {
        report(e.message(), e.what());
    } catch (const std::exception &e) {
        report(u"Operaci se nepodařilo dokončit kvůli neočekávané chybě programu:\n"_s +
                   QString::fromLocal8Bit(e.what()),
               e.what());
    } catch (...) {
        report(u"Operaci se nepodařilo dokončit kvůli neočekávané chybě programu."_s, "unknown exception");
    }
    return false;
}

void GuardedApplication::report(const QString &text, const char *logged)
{
    qCWarning(guardLog, "Exception stopped at the event loop: %s", logged);
    // A box that itself fails to show ends in the log only.
    if (!m_messages || m_reporting)
        return;
    m_reporting = true;
    try {
        m_messages->error(text);
    } catch (...) {
        qCWarning(guardLog, "The error could not be shown");
    }
    m_reporting = false;
}

} // namespace app
