#include "app/Program.h"

#include "app/BackupWindows.h"
#include "app/EditorWindows.h"
#include "app/EnvironmentMessages.h"
#include "app/GuardedApplication.h"
#include "app/HelpHook.h"
#include "app/HelpKeys.h"
#include "app/PrintWindows.h"
#include "app/TAu8Form.h"
#include "app/TKvqForm.h"
#include "app/TMainForm.h"
#include "app/TSplashForm.h"
#include "data/TDM1.h"
#include "filing/TEpoForm.h"
#include "platform/FileOps.h"
#include "platform/HelpViewer.h"
#include "platform/Printers.h"
#include "platform/ProgramFiles.h"
#include "platform/QtMessages.h"
#include "platform/ShellFolders.h"
#include "settlement/AppPaths.h"
#include "settlement/Conversion.h"
#include "settlement/NewYear.h"
#include "settlement/SettlementOpening.h"
#include "settlement/Version.h"
#include "statements/Recalc.h"
#include "widgets/TEvzhDtForm.h"

#include "registry/TAu4Form.h"
#include "registry/TAu5Form.h"
#include "registry/TAuto1Form.h"
#include "transfer/TEsfForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

namespace app {

namespace {

// The settlement list's side of the program: its part of completing the
// start, the settlement database the list lets go of, and the list window
// as the opening's selection.
class ListBridge : public IStartupHooks,
                   public registry::IRegistryHooks,
                   public settlement::ISettlementSelection
{
public:
    const registry::SettlementList &list() const { return m_list; }
    registry::SettlementList &list() { return m_list; }
    registry::IPasswordPrompt &prompt() { return *m_prompt; }

    // The list window and the password prompt are the main window's
    // children, which it deletes before this bridge goes (see ~Program).
    ListBridge(TMainForm &main, data::TDM1 &dm, settlement::AppPaths &paths, platform::IMessages &messages)
        : m_main(main), m_dm(dm), m_paths(paths), m_messages(messages),
          m_list({paths.FileDirLocal, paths.FileDir, settlement::Version::yearTag()}, messages, this)
    {
        m_list.setOpenOptions(dm.openOptions());
        m_prompt = new registry::TAu4Form(&main);
        m_form = new registry::TAuto1Form(m_list, messages, *m_prompt, main.baseCaption(), this, &main);
        m_form->setInfoSource([this] {
            registry::InfoPaths info;
            info.DataDir = m_paths.DataDir;
            info.dataIniNamed = !m_paths.DataIniDir.isEmpty();
            info.FileDirLocal = m_paths.FileDirLocal;
            info.FileDirPrg = m_paths.FileDirPrg;
            info.FileDir = m_paths.FileDir;
            info.NetFileDir = m_dm.sessionNetDir();
            info.PrivateDir = m_dm.sessionPrivateDir();
            info.CommonAppData = m_paths.CommonAppData;
            info.Personal = m_paths.Personal;
            return info;
        });
    }

    // ---- the list's needs
    void disconnectSettlementDatabase() override { m_dm.Disconnect(); }
    void attachDataRoot(const QString &fileDir) override
    {
        m_dm.DM1Create(fileDir);
        m_list.setOpenOptions(m_dm.openOptions());
    }
    void showStatus(const QString &text) override { m_main.setStatusText(0, text); }
    void setBusy(bool busy) override { m_main.setBusy(busy); }

    // ---- completing the start
    void disconnectDatabases() override { m_list.close(); }
    void upgradeListFiles(const QString &) override { m_list.attach(); }
    void previousVersionCheck() override
    {
        settlement::Conversion conversion(m_paths, m_messages, m_list);
        TAu8Form window(conversion, m_paths, &m_main);
        conversion.setWindow(&window);
        conversion.setBusy([this](bool busy) { m_main.setBusy(busy); });
        conversion.KontrolaInst1();
    }
    void chooseDataWork(settlement::AppPaths &) override
    {
        registry::TAu5Form choice({m_paths.FileDirLocal, m_paths.FileDir, settlement::Version::yearTag()},
                                  m_messages, m_list, this, &m_main);
        choice.exec();
    }

    // ---- the selection
    bool choose() override { return m_form->exec() == registry::TAuto1Form::Otevrit; }
    QString selectedDirectory() const override
    {
        const std::optional<registry::Settlement> current = m_list.current();
        return current ? current->Adresar : QString();
    }

private:
    TMainForm &m_main;
    data::TDM1 &m_dm;
    settlement::AppPaths &m_paths;
    platform::IMessages &m_messages;
    registry::SettlementList m_list;
    QPointer<registry::TAu4Form> m_prompt;
    QPointer<registry::TAuto1Form> m_form;
};

// QESTO_WINDOWS_LOG names a file that gets the caption of every window as
// it is shown, one a line: beside the messages log it lets a script follow a
// run without anyone at the screen.
class WindowLog : public QObject
{
public:
    static std::unique_ptr<WindowLog> fromEnvironment()
    {
        const QString path = qEnvironmentVariable("QESTO_WINDOWS_LOG");
        if (path.isEmpty())
            return nullptr;
        auto log = std::make_unique<WindowLog>();
        log->m_file.setFileName(path);
        if (!log->m_file.open(QIODevice::WriteOnly | QIODevice::Append))
            return nullptr;
        return log;
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            const auto *widget = qobject_cast<QWidget *>(object);
            if (widget && widget->isWindow() && !widget->windowTitle().isEmpty()) {
                m_file.write(widget->windowTitle().toUtf8() + '\n');
                m_file.flush();
            }
        }
        return false;
    }

private:
    QFile m_file;
};

} // namespace

struct Program::Parts
{
    std::unique_ptr<WindowLog> windowLog;
    std::unique_ptr<platform::IMessages> messages;
    settlement::AppPaths paths;
    std::unique_ptr<platform::HelpViewer> helpViewer;
    std::unique_ptr<HelpViewerAdapter> helpAdapter;
    std::unique_ptr<TUseHTMLHelp> help;
    std::unique_ptr<HelpKeyFilter> helpKeys;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<data::TDM1> dm;
    std::unique_ptr<statements::StatementRecalc> recalc;
    platform::QtPrinters printers;
    std::unique_ptr<settlement::SettlementOpening> opening;
    std::unique_ptr<settlement::NewYearRollover> rollover;
    QPointer<widgets::TEvzhDtForm> calendar;
    std::unique_ptr<ListBridge> list;
    std::unique_ptr<Printing> printing;
};

Program::Program() : m_parts(std::make_unique<Parts>()) {}

Program::~Program()
{
    if (auto *guarded = qobject_cast<GuardedApplication *>(QCoreApplication::instance()))
        guarded->setMessages(nullptr);
    if (m_parts->help)
        QApplication::instance()->removeEventFilter(m_parts->helpKeys.get());
    if (m_parts->windowLog)
        QApplication::instance()->removeEventFilter(m_parts->windowLog.get());
    // The main window owns the long-lived windows (the list, the password
    // prompt, the preview, the calendar). It goes first, while everything
    // those windows refer to still exists.
    m_parts->main.reset();
}

// The help folder beside the program (a build tree) or in the installation's
// data folder; when neither exists the help window says so for the first.
static QString helpDirectory(const settlement::AppPaths &paths)
{
    const QString found = platform::ProgramFiles::find(u"help"_s, paths.FileDirPrg);
    return found.isEmpty() ? platform::FileOps::resolve(paths.FileDirPrg + u"help"_s) : found;
}

int Program::run()
{
    start();
    const int result = QApplication::exec();
    return startedNormally() ? result : 1;
}

TMainForm *Program::mainWindow() const
{
    return m_parts->main.get();
}

bool Program::startedNormally() const
{
    return m_parts->main && m_parts->main->startedNormally();
}

void Program::start()
{
    Parts &p = *m_parts;
    p.windowLog = WindowLog::fromEnvironment();
    if (p.windowLog)
        QApplication::instance()->installEventFilter(p.windowLog.get());
    auto splash = std::make_unique<TSplashForm>();
    splash->showNow();

    // Only the name: a display name would be appended to every window's
    // title by the window system ("Kalendář — Qesto").
    QApplication::setApplicationName(settlement::Version::applicationTitle());

    p.messages = EnvironmentMessages::fromEnvironment();
    platform::QtMessages *boxes = nullptr;
    if (!p.messages) {
        auto owned = std::make_unique<platform::QtMessages>();
        boxes = owned.get();
        p.messages = std::move(owned);
    }
    // An error a window let through is shown from here on, in the same boxes.
    if (auto *guarded = qobject_cast<GuardedApplication *>(QCoreApplication::instance()))
        guarded->setMessages(p.messages.get());

    p.paths = settlement::AppPaths::resolve(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()),
                                            platform::ShellFolders::commonAppData(),
                                            platform::ShellFolders::personal());

    // The help hook exists before any window can ask for help.
    p.helpViewer = std::make_unique<platform::HelpViewer>(helpDirectory(p.paths));
    p.helpAdapter = std::make_unique<HelpViewerAdapter>(*p.helpViewer);
    p.help = std::make_unique<TUseHTMLHelp>(*p.helpAdapter);
    p.helpKeys = std::make_unique<HelpKeyFilter>(*p.help);
    QApplication::instance()->installEventFilter(p.helpKeys.get());

    p.main = std::make_unique<TMainForm>(p.paths, *p.messages);
    if (boxes)
        boxes->setDialogParent(p.main.get());
    p.main->setHelp(p.help.get());
    const QScreen *screen = QGuiApplication::primaryScreen();
    const WindowPlacement placement = p.main->FormCreate(screen ? screen->size() : QSize(1024, 768));

    p.calendar = new widgets::TEvzhDtForm(p.main.get());
    p.recalc = std::make_unique<statements::StatementRecalc>();
    p.dm = std::make_unique<data::TDM1>(data::Collaborators{
        .status = *p.main, .caption = *p.main, .datePicker = *p.calendar, .recalc = *p.recalc});
    if (p.paths.dataDirFound)
        p.dm->DM1Create(p.paths.FileDir);
    p.main->setDataModule(p.dm.get());

    p.opening = std::make_unique<settlement::SettlementOpening>(p.paths, *p.messages, *p.dm, p.printers);
    p.opening->setBusy([main = p.main.get()](bool busy) { main->setBusy(busy); });
    p.main->setOpening(p.opening.get());

    // The new year: from its menu command, and pending from a conversion
    // when a settlement opens.
    p.rollover = std::make_unique<settlement::NewYearRollover>(
        p.paths, *p.dm, [opening = p.opening.get()] { return opening->directoryName(); });
    p.rollover->setBusy([main = p.main.get()](bool busy) { main->setBusy(busy); });
    p.opening->setRollover(p.rollover.get());
    p.main->setCommandHandler(Command::NovyRok,
                              [&p] { return settlement::NovyRok1Click(*p.rollover, *p.messages); });
    attachBackupWindows(*p.main, *p.dm, *p.messages, p.paths, *p.opening);

    // Without a data root there is no list to attach; the start ends with
    // its message.
    if (p.paths.dataDirFound) {
        p.list = std::make_unique<ListBridge>(*p.main, *p.dm, p.paths, *p.messages);
        p.main->setListHooks(p.list.get());
        p.opening->setSelection(p.list.get());
    }

    // The calendar keeps its place per settlement, in the settlement's own
    // INI file under the section named after its directory.
    p.opening->setOpened([&p] {
        p.calendar->setPlacementFile(platform::FileOps::resolve(p.opening->iniFile()),
                                     p.opening->directoryName());
    });

    attachEditors(*p.main, *p.dm, *p.messages, [&p] {
        return widgets::SettlementIni{platform::FileOps::resolve(p.opening->iniFile()),
                                      p.opening->directoryName()};
    });

    p.printing = std::make_unique<Printing>(*p.main, *p.dm, *p.messages, *p.opening, p.printers);
    if (p.list) {
        p.printing->setCompanyList([list = p.list.get()] {
            QList<print::CompanyListRow> rows;
            for (const registry::Settlement &s : list->list().entries())
                rows.append({s.Cislo, s.Nazev, s.Adresar});
            return rows;
        });
    }

    // Every settlement of the data root checked, printed or filed at once;
    // one of them may be opened from there.
    if (p.list) {
        p.main->setCommandHandler(Command::KontrolaVsech, [&p] {
            TMainForm *main = p.main.get();
            registry::SettlementList &list = p.list->list();
            const QString current = p.opening->directoryName();
            // Our own open tables would make the open settlement look in
            // use by another user.
            p.dm->Disconnect();
            TKvqForm form({list, *p.messages, p.list->prompt(), p.paths.Personal,
                           main->startup().flags().TypPisma == 1},
                          main);
            const bool chosen = form.exec() == QDialog::Accepted && list.selectNumber(form.chosenNumber());
            // The list's tests before an opening; the settlement that was open
            // comes back when the chosen one cannot be opened.
            if (chosen && list.confirmOpen(p.list->prompt())) {
                list.finishShow();
                if (main->openSettlement(list.current()->Adresar))
                    return true;
            }
            main->openSettlement(current);
            return false;
        });
    }

    p.main->setCommandHandler(Command::Gavrel, [&p] {
        TMainForm *main = p.main.get();
        transfer::TransferEnvironment env;
        env.dm = p.dm.get();
        env.recalc = p.recalc.get();
        env.messages = p.messages.get();
        env.busy = [main](bool busy) { main->setBusy(busy); };
        env.resolveTemplate = [&p](const QString &templ, bool *ok) {
            return p.paths.CestyTyp2(templ, platform::RelativePaths::Refuse, ok);
        };
        env.toTemplate = [&p](const QString &path) { return p.paths.CestyTyp3(path); };
        env.dialogDirectory = [&p](const QString &text) {
            return p.paths.DirTyp2(text, p.paths.DirTyp(platform::DialogStart::DataRootParent, text));
        };
        env.programDir = p.paths.FileDirPrg;
        env.localRoot = p.paths.FileDirLocal;
        env.dataRoot = p.paths.FileDir;
        env.taxYear = settlement::Version::TaxYear;
        env.settlementIni = platform::FileOps::resolve(p.opening->iniFile());
        env.settlementDir = p.opening->directoryName();
        transfer::TEsfForm form(std::move(env), main);
        return form.exec() == QDialog::Accepted;
    });

    // The filing of a statement as XML, for the tax portal.
    p.main->setCommandHandler(Command::ElektronickePodani, [&p] {
        filing::TEpoForm form(
            {*p.dm,
             *p.messages,
             platform::FileOps::resolve(p.opening->iniFile()),
             p.opening->directoryName(),
             p.paths.Personal,
             {settlement::Version::applicationTitle(), settlement::Version::text()},
             [&p](filing::Form f) { return filing::filingChecks(*p.dm, f, settlement::Version::TaxYear); }},
            p.main.get());
        form.exec();
        return true;
    });

    splash->hide();
    splash.reset();

    p.main->showPlaced(placement);
}

} // namespace app
