// The program's application object: the one place where an exception that a
// window let through is stopped before it reaches the event loop.
#pragma once

#include <QApplication>

namespace platform {
class IMessages;
}

namespace app {

// Every event and every slot a click or a key runs is delivered through
// notify(). An error the program describes (platform::Error) is shown as
// the error box of that text; anything else is logged and reported as an
// operation that did not finish. Either way the program goes on, instead of
// ending the run with everything the user had not saved.
class GuardedApplication : public QApplication
{
    Q_OBJECT

public:
    GuardedApplication(int &argc, char **argv);

    // Where the errors go; without it they are only logged.
    void setMessages(platform::IMessages *messages) { m_messages = messages; }

    bool notify(QObject *receiver, QEvent *event) override;

private:
    void report(const QString &text, const char *logged);

    platform::IMessages *m_messages = nullptr;
    bool m_reporting = false;
};

} // namespace app
