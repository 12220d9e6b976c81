#include "app/AppPaths.h"
#include "app/EnvironmentMessages.h"
#include "app/Startup.h"
#include "app/Version.h"
#include "platform/FileOps.h"
#include "platform/QtMessages.h"
#include "platform/ShellFolders.h"
#include "platform/StaleLocks.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>

namespace {

// What the program itself provides of completing the start; the table engine
// parts follow with the data module.
class ProgramHooks : public app::IStartupHooks
{
public:
    void removeStaleLockFiles(const QString &dir) override
    {
        platform::removeStaleLockFiles(platform::FileOps::resolve(dir));
    }

    void setBusy(bool busy) override
    {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
};

// Stands in for the main window until the real one is built: it carries the
// caption, the placement and the start-up sequence.
class MainWindow : public QMainWindow
{
public:
    explicit MainWindow(app::Startup &startup) : m_startup(startup)
    {
        setWindowTitle(app::Version::mainWindowCaption());
    }

    void applyPlacement(const app::WindowPlacement &p)
    {
        setGeometry(p.left, p.top, p.width, p.height);
        m_maximized = p.state == app::WindowPlacement::State::Maximized;
    }

    void showPlaced()
    {
        if (m_maximized)
            showMaximized();
        else
            show();
        QTimer::singleShot(0, this, [this] {
            if (m_startup.formActivate() != app::Startup::Activation::Ready)
                close();
        });
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        app::WindowPlacement p;
        const bool normal = !isMaximized() && !isMinimized();
        const QRect g = normal ? geometry() : normalGeometry();
        p.top = g.top();
        p.left = g.left();
        p.width = g.width();
        p.height = g.height();
        p.state = normal          ? app::WindowPlacement::State::Normal
                  : isMinimized() ? app::WindowPlacement::State::Minimized
                                  : app::WindowPlacement::State::Maximized;
        m_startup.formClose(p);
        event->accept();
    }

private:
    app::Startup &m_startup;
    bool m_maximized = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(app::Version::applicationTitle());
    QApplication::setApplicationDisplayName(app::Version::applicationTitle());

    std::unique_ptr<platform::IMessages> messages = app::EnvironmentMessages::fromEnvironment();
    if (!messages)
        messages = std::make_unique<platform::QtMessages>();

    app::AppPaths paths =
        app::AppPaths::resolve(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()),
                               platform::ShellFolders::commonAppData(), platform::ShellFolders::personal());
    ProgramHooks hooks;
    app::Startup startup(paths, *messages, hooks);

    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    const app::WindowPlacement placement = startup.formCreate(screenSize);

    if (!paths.dataDirFound) {
        startup.formActivate();
        return 1;
    }

    MainWindow window(startup);
    window.applyPlacement(placement);
    window.showPlaced();
    return QApplication::exec();
}
