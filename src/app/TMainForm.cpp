#include "app/TMainForm.h"

#include "app/HelpHook.h"
#include "data/DataError.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "platform/FileOps.h"
#include "platform/Messages.h"
#include "platform/StaleLocks.h"
#include "settlement/AppPaths.h"
#include "settlement/SettlementOpening.h"
#include "settlement/Version.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace app {

namespace {

constexpr std::array<int, StatusPanels::PanelCount> FixedPanelWidths = {0, 75, 35, 0};

// The blue underlined text that starts the data backup.
class LinkLabel : public QLabel
{
public:
    LinkLabel(const QString &text, std::function<void()> clicked)
        : QLabel(text), m_clicked(std::move(clicked))
    {
        QFont f = font();
        f.setBold(true);
        f.setUnderline(true);
        setFont(f);
        setCursor(Qt::PointingHandCursor);
        updateColour();
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (isEnabled() && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_clicked();
    }
    void changeEvent(QEvent *event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::EnabledChange)
            updateColour();
    }

private:
    void updateColour()
    {
        QPalette p = palette();
        p.setColor(QPalette::WindowText,
                   isEnabled() ? QColor(Qt::blue) : p.color(QPalette::Disabled, QPalette::Text));
        setPalette(p);
    }

    std::function<void()> m_clicked;
};

QIcon speedButtonIcon(Command command, const QStyle *style)
{
    return style->standardIcon(command == Command::UdajeOFirme ? QStyle::SP_FileDialogInfoView
                                                               : QStyle::SP_FileDialogDetailedView);
}

} // namespace

// ------------------------------------------------------------ status bar

StatusPanels::StatusPanels(QWidget *parent) : QStatusBar(parent)
{
    setObjectName(u"StatusBar1"_s);
    for (int i = 0; i < PanelCount; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(u"Panel%1"_s.arg(i));
        // Panels 1 and 2 are sunken boxes; the message panel and the last
        // one have no bevel.
        label->setFrameStyle(i == 1 || i == 2 ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
        label->setTextFormat(Qt::PlainText);
        label->setIndent(2);
        m_panels[size_t(i)] = label;
    }
    setMinimumHeight(fontMetrics().height() + 8);
    layoutPanels();
}

QString StatusPanels::positionText(const data::RecordPosition &position)
{
    switch (position.kind) {
    case data::RecordPosition::Kind::NewRecord:
        return u"Nový záznam"_s;
    case data::RecordPosition::Kind::Record:
        return QString::number(position.recNo) + u'/' + QString::number(position.count);
    case data::RecordPosition::Kind::None:
        break;
    }
    return {};
}

void StatusPanels::setText(int panel, const QString &text)
{
    if (panel >= 0 && panel < PanelCount)
        m_panels[size_t(panel)]->setText(text);
}

QString StatusPanels::text(int panel) const
{
    return panel >= 0 && panel < PanelCount ? m_panels[size_t(panel)]->text() : QString();
}

int StatusPanels::panelWidth(int panel) const
{
    return panel >= 0 && panel < PanelCount ? m_panels[size_t(panel)]->width() : 0;
}

void StatusPanels::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    layoutPanels();
}

void StatusPanels::layoutPanels()
{
    const int h = height() - 4;
    int x = 0;
    for (int i = 0; i < PanelCount; ++i) {
        const int w = i == 0 ? firstPanelWidth(width()) : FixedPanelWidths[size_t(i)];
        m_panels[size_t(i)]->setGeometry(x, 2, w, h);
        m_panels[size_t(i)]->setVisible(w > 0);
        x += w + 2;
    }
}

// ------------------------------------------------------------ main window

TMainForm::TMainForm(settlement::AppPaths &paths, platform::IMessages &messages, QWidget *parent)
    : QMainWindow(parent), m_paths(paths), m_messages(messages), m_startup(paths, messages, *this)
{
    setObjectName(u"MainForm"_s);
    setWindowTitle(settlement::Version::mainWindowCaption());
    setProperty("helpContext", 1);
    resize(640, 453);
    buildMenus();
    buildSpeedBar();
    buildBody();
    m_status = new StatusPanels(this);
    setStatusBar(m_status);
    m_dispatch.setBeforeShow([this](StatementKind kind) {
        // The employee count starts on its first place of work.
        if (kind == StatementKind::EmployeeCount && m_dm && m_dm->Vpz().isActive())
            m_dm->Vpz().first();
    });
    updateEnabled();
}

void TMainForm::setDataModule(data::TDM1 *dm)
{
    m_dm = dm;
}

TMainForm::~TMainForm()
{
    // Closing the tables later must not report their state to a window
    // that is gone.
    if (m_dm)
        m_dm->detachWindow();
}

void TMainForm::buildMenus()
{
    for (const MenuDef &def : menuTree()) {
        QMenu *menu = menuBar()->addMenu(def.caption);
        menu->setObjectName(def.name);
        menu->menuAction()->setObjectName(def.name);
        menu->menuAction()->setStatusTip(def.hint);
        // Tear-off and tooltips stay off: the hint goes to the status bar.
        m_menus.insert(def.name, menu);
        for (const MenuItemDef &item : def.items) {
            if (item.isSeparator()) {
                menu->addSeparator();
                continue;
            }
            QAction *a = menu->addAction(item.caption);
            a->setObjectName(item.name);
            a->setStatusTip(item.hint);
            if (!item.shortcut.isEmpty())
                a->setShortcut(QKeySequence(item.shortcut, QKeySequence::PortableText));
            a->setProperty("helpContext", item.helpContext);
            const Command command = item.command;
            connect(a, &QAction::triggered, this, [this, command] { run(command); });
            m_actions.insert(command, a);
        }
    }
}

void TMainForm::buildSpeedBar()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(u"SpeedBar"_s);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(32);
    bar->setIconSize(QSize(20, 20));
    bar->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, bar);
    for (const SpeedButtonDef &def : speedButtons()) {
        auto *button = new QToolButton(bar);
        button->setObjectName(def.name);
        button->setIcon(speedButtonIcon(def.command, style()));
        button->setFixedSize(28, 28);
        button->setAutoRaise(true);
        button->setToolTip(shortHint(def.hint));
        button->setStatusTip(longHint(def.hint));
        button->setAccessibleName(def.text);
        const Command command = def.command;
        connect(button, &QToolButton::clicked, this, [this, command] { run(command); });
        bar->addWidget(button);
        m_speedButtons.insert(command, button);
    }
}

void TMainForm::buildBody()
{
    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(8, 8, 0, 0);
    m_link = new LinkLabel(u"Zálohování dat"_s, [this] { run(Command::Zalohovani); });
    m_link->setObjectName(u"LinkZalohovani"_s);
    m_link->setStatusTip(u"Zazálohuje data"_s);
    layout->addWidget(m_link, 0, Qt::AlignLeft);
    layout->addStretch();
    auto *line = new QFrame(body);
    line->setObjectName(u"Bevel1"_s);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    layout->addWidget(line);
    setCentralWidget(body);
}

QMenu *TMainForm::menu(const QString &name) const
{
    return m_menus.value(name);
}

QToolButton *TMainForm::speedButton(Command command) const
{
    return m_speedButtons.value(command);
}

void TMainForm::setCommandHandler(Command command, CommandHandler handler)
{
    m_handlers.insert(command, std::move(handler));
    updateEnabled();
}

void TMainForm::attachStatementWindow(StatementKind kind, StatementDispatch::ShowWindow show)
{
    m_dispatch.attach(kind, std::move(show));
    updateEnabled();
}

bool TMainForm::commandAvailable(Command command) const
{
    switch (command) {
    case Command::VyberQesto:
    case Command::Konec:
    case Command::Navod:
        return true;
    default:
        break;
    }
    if (!m_settlementOpen)
        return false;
    if (const StatementKind kind = statementKind(command); kind != StatementKind::None)
        return m_dispatch.isAttached(kind);
    // The company data window needs the data module as well.
    if (command == Command::UdajeOFirme && !m_dm)
        return false;
    return m_handlers.contains(command);
}

void TMainForm::updateEnabled()
{
    for (const MenuDef &def : menuTree()) {
        if (QMenu *m = m_menus.value(def.name))
            m->menuAction()->setEnabled(!def.needsSettlement || m_settlementOpen);
        for (const MenuItemDef &item : def.items) {
            if (!item.isSeparator())
                m_actions.value(item.command)->setEnabled(commandAvailable(item.command));
        }
    }
    for (auto it = m_speedButtons.cbegin(); it != m_speedButtons.cend(); ++it)
        it.value()->setEnabled(commandAvailable(it.key()));
    m_link->setEnabled(commandAvailable(Command::Zalohovani));
}

void TMainForm::TypDp1()
{
    m_settlementOpen = m_opening && m_opening->TypDp1();
    updateEnabled();
}

void TMainForm::run(Command command)
{
    if (!commandAvailable(command))
        return;
    try {
        switch (command) {
        case Command::VyberQesto:
            VyberDanoveho();
            return;
        case Command::Konec:
            close();
            return;
        case Command::Navod:
            requestHelp(1);
            return;
        case Command::UdajeOFirme:
            UdajeOFirme1Click();
            return;
        case Command::Tisk:
            Tisk1Click();
            return;
        case Command::Gavrel:
            Gavrel1Click();
            return;
        default:
            break;
        }
        if (const StatementKind kind = statementKind(command); kind != StatementKind::None) {
            Dpp1(kind);
            return;
        }
        if (const CommandHandler handler = m_handlers.value(command))
            handler();
    } catch (const platform::Error &e) {
        setBusy(false);
        m_messages.error(e.message());
    }
}

void TMainForm::Dpp1(StatementKind kind)
{
    m_dispatch.Dpp1(kind);
}

void TMainForm::UdajeOFirme1Click()
{
    data::Dataset &prp = m_dm->Prp();
    if (prp.isActive()) {
        prp.refresh();
        prp.edit();
    }
    m_handlers.value(Command::UdajeOFirme)();
    m_dm->NazevDp1();
}

void TMainForm::Tisk1Click()
{
    if (m_dm)
        m_dm->Obnovit1();
    for (int panel = 0; panel <= 2; ++panel)
        setStatusText(panel, QString());
    Dpp1(StatementKind::Print);
}

void TMainForm::Gavrel1Click()
{
    if (m_handlers.value(Command::Gavrel)())
        Dpp1(StatementKind::Employment);
}

void TMainForm::requestHelp(int context)
{
    if (m_help)
        m_help->ApplicationHelp(TUseHTMLHelp::HelpCommand::Context, context);
}

bool TMainForm::VyberDanoveho()
{
    if (!m_opening)
        return true;
    // No settlement is open while the list is shown, nor after an opening
    // that failed: the caption names none.
    setCaption(baseCaption());
    const settlement::SettlementOpening::Result result = m_opening->VyberDanoveho();
    if (result == settlement::SettlementOpening::Result::Quit) {
        close();
        return false;
    }
    afterOpening(result);
    return true;
}

bool TMainForm::openSettlement(const QString &dirName)
{
    if (!m_opening)
        return false;
    setCaption(baseCaption());
    const settlement::SettlementOpening::Result result = m_opening->open(dirName);
    afterOpening(result);
    return result == settlement::SettlementOpening::Result::Opened;
}

void TMainForm::afterOpening(settlement::SettlementOpening::Result result)
{
    if (result == settlement::SettlementOpening::Result::Failed)
        setCaption(baseCaption());
    TypDp1();
}

QString TMainForm::archiveBaseName() const
{
    const QString dirName = m_opening ? m_opening->directoryName() : QString();
    if (!m_dm)
        return dirName;
    try {
        data::Dataset &prp = m_dm->Prp();
        if (!prp.isActive())
            m_dm->openTable(prp);
        const auto text = [this](const QString &name) {
            const data::Field *f = m_dm->field(u"Prp"_s + name);
            return f ? f->asString() : QString();
        };
        return settlement::NazevSb1(text(u"Tiv"_s), text(u"Jmd"_s), text(u"Prk"_s), text(u"Ojv"_s), dirName);
    } catch (const platform::Error &) {
        return dirName;
    }
}

bool TMainForm::ExecuteFile(const QString &target)
{
    // Web and mail addresses go to their handler; anything else is a file.
    const QUrl url(target);
    if (url.isValid() && url.scheme().size() > 1 && !QFileInfo::exists(target))
        return QDesktopServices::openUrl(url);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(platform::FileOps::resolve(target)));
}

// ------------------------------------------------------------ status, caption

void TMainForm::setStatusText(int panel, const QString &text)
{
    m_status->setText(panel, text);
}

void TMainForm::message(const QString &text)
{
    setStatusText(StatusPanels::MessagePanel, text);
}

void TMainForm::editingChanged(bool editing)
{
    setStatusText(StatusPanels::EditPanel, editing ? u"EDIT"_s : QString());
}

void TMainForm::positionChanged(const data::RecordPosition &position)
{
    setStatusText(StatusPanels::PositionPanel, StatusPanels::positionText(position));
}

QString TMainForm::baseCaption() const
{
    return settlement::Version::mainWindowCaption();
}

void TMainForm::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

bool TMainForm::event(QEvent *event)
{
    // The hint handler: whatever hint the pointer or the menu selection
    // brings goes to the first panel.
    if (event->type() == QEvent::StatusTip) {
        setStatusText(0, static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

// ------------------------------------------------------------ life cycle

WindowPlacement TMainForm::FormCreate(QSize screen)
{
    return m_startup.formCreate(screen);
}

void TMainForm::FormShow()
{
    if (m_paths.dataDirFound)
        TypDp1();
}

void TMainForm::showPlaced(const WindowPlacement &placement)
{
    setGeometry(placement.left, placement.top, placement.width, placement.height);
    if (placement.state == WindowPlacement::State::Maximized)
        showMaximized();
    else
        show();
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    FormShow();
    // Completing the start opens modal windows; it runs once the window is
    // on the screen, from the event loop.
    if (m_startup.flags().pending && !m_activationQueued) {
        m_activationQueued = true;
        QTimer::singleShot(0, this, &TMainForm::FormActivate);
    }
}

void TMainForm::FormActivate()
{
    switch (m_startup.formActivate()) {
    case Startup::Activation::NoDataDirectory:
        m_startedNormally = false;
        close();
        break;
    case Startup::Activation::Quit:
        close();
        break;
    case Startup::Activation::Ready:
        break;
    case Startup::Activation::AlreadyDone:
        return;
    }
    emit startupFinished();
}

WindowPlacement TMainForm::currentPlacement() const
{
    WindowPlacement p;
    const bool normal = !isMaximized() && !isMinimized();
    const QRect g = normal ? geometry() : normalGeometry();
    p.top = g.top();
    p.left = g.left();
    p.width = g.width();
    p.height = g.height();
    p.state = normal          ? WindowPlacement::State::Normal
              : isMinimized() ? WindowPlacement::State::Minimized
                              : WindowPlacement::State::Maximized;
    return p;
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    m_startup.formClose(currentPlacement());
    if (m_paths.dataDirFound)
        disconnectDatabases();
    FormDestroy();
    event->accept();
}

void TMainForm::FormDestroy()
{
    if (m_help)
        m_help->ApplicationHelp(TUseHTMLHelp::HelpCommand::Quit);
}

// ------------------------------------------------------------ start-up hooks

void TMainForm::disconnectDatabases()
{
    if (m_dm)
        m_dm->Disconnect();
    if (m_listHooks)
        m_listHooks->disconnectDatabases();
}

void TMainForm::attachDataRoot(const QString &fileDir)
{
    if (m_dm)
        m_dm->DM1Create(fileDir);
    if (m_listHooks)
        m_listHooks->attachDataRoot(fileDir);
}

void TMainForm::removeStaleLockFiles(const QString &dir)
{
    platform::removeStaleLockFiles(platform::FileOps::resolve(dir));
}

void TMainForm::upgradeListFiles(const QString &fileDir)
{
    if (m_listHooks)
        m_listHooks->upgradeListFiles(fileDir);
}

void TMainForm::chooseDataWork(settlement::AppPaths &paths)
{
    if (m_listHooks)
        m_listHooks->chooseDataWork(paths);
}

void TMainForm::setBusy(bool busy)
{
    if (busy) {
        ++m_busyDepth;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        // Restores every hourglass left on: a failure may skip the matching
        // call.
        while (m_busyDepth > 0) {
            --m_busyDepth;
            QApplication::restoreOverrideCursor();
        }
    }
}

void TMainForm::previousVersionCheck()
{
    if (m_listHooks)
        m_listHooks->previousVersionCheck();
}

bool TMainForm::openSettlementSelection()
{
    return VyberDanoveho();
}

} // namespace app
