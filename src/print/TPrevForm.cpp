#include "print/TPrevForm.h"

#include "platform/Error.h"

#include "platform/IniFile.h"
#include "platform/Messages.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace print {

// A4 at 100 %: 96 pixels to the inch.
constexpr double PageWidth100 = 210.0 / 25.4 * 96;
constexpr double PageHeight100 = 297.0 / 25.4 * 96;

class PreviewPage : public QWidget
{
public:
    using QWidget::QWidget;
    void show(const platform::PrintJob *job, int sheet, int zoom)
    {
        m_job = job;
        m_sheet = sheet;
        setFixedSize(int(PageWidth100 * zoom / 100), int(PageHeight100 * zoom / 100));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (m_job && m_job->paint && m_sheet < m_job->sheetCount) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            m_job->paint(p, QRectF(rect()), m_sheet);
        }
    }

private:
    const platform::PrintJob *m_job = nullptr;
    int m_sheet = 0;
};

namespace {

QPushButton *toolButton(const QString &text, const QString &hint, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

} // namespace

TPrevForm::TPrevForm(platform::IMessages &messages, QWidget *parent) : QDialog(parent), m_messages(messages)
{
    setObjectName(u"PrevForm"_s);
    setWindowTitle(u"Qesto - Náhled před tiskem"_s);
    setProperty("helpContext", 44);

    m_zoomBox = new QComboBox(this);
    m_zoomBox->setEditable(true);
    m_zoomBox->addItems(zoomItems());
    m_zoomBox->lineEdit()->setMaxLength(4);
    m_zoomBox->setToolTip(u"Měřítko zobrazení náhledu"_s);
    m_zoomBox->setInsertPolicy(QComboBox::NoInsert);
    m_print = toolButton(u"&Tisk"_s, u"Tisk dokumentu F6"_s, this);
    auto *close = toolButton(u"&Zavřít"_s, u"Ukončení"_s, this);
    const char16_t *navText[] = {u"|<", u"<", u">", u">|"};
    const char16_t *navHint[] = {u"První strana", u"Předchozí strana", u"Další strana", u"Poslední strana"};
    for (int i = 0; i < 4; ++i) {
        m_nav[i] = toolButton(QString::fromUtf16(navText[i]), QString::fromUtf16(navHint[i]), this);
        connect(m_nav[i], &QPushButton::clicked, this, [this, i] { navigate(i); });
    }
    auto *fit = toolButton(u"Celá"_s, u"Podle okna"_s, this);
    auto *hundred = toolButton(u"100%"_s, u"100%"_s, this);
    auto *width = toolButton(u"Šířka"_s, u"Šířka strany"_s, this);
    m_pageLabel = new QLabel(print::pageLabel(1, 1), this);
    m_status = new QLabel(this);

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_zoomBox);
    bar->addWidget(fit);
    bar->addWidget(hundred);
    bar->addWidget(width);
    for (QPushButton *b : m_nav)
        bar->addWidget(b);
    bar->addWidget(m_pageLabel);
    bar->addStretch();
    bar->addWidget(m_print);
    bar->addWidget(close);

    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_page = new PreviewPage(m_scroll);
    m_scroll->setWidget(m_page);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_status);

    connect(m_print, &QPushButton::clicked, this, &TPrevForm::printPages);
    connect(close, &QPushButton::clicked, this, [this] {
        m_pager.closeButton();
        reject();
    });
    connect(m_zoomBox, &QComboBox::textActivated, this, &TPrevForm::zoomEntered);
    connect(m_zoomBox->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { zoomEntered(m_zoomBox->lineEdit()->text()); });
    const auto fitZoom = [this](bool wholePage) {
        const QSize view = m_scroll->viewport()->size();
        double z = view.width() / PageWidth100;
        if (wholePage)
            z = std::min(z, view.height() / PageHeight100);
        setZoom(std::clamp(int(z * 100), 1, 500));
    };
    connect(fit, &QPushButton::clicked, this, [fitZoom] { fitZoom(true); });
    connect(width, &QPushButton::clicked, this, [fitZoom] { fitZoom(false); });
    connect(hundred, &QPushButton::clicked, this, [this] { setZoom(100); });

    // The hidden menu of the keys: navigation, scrolling, printing.
    const auto key = [this](const QKeySequence &seq, std::function<void()> run) {
        auto *a = new QAction(this);
        a->setShortcut(seq);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, std::move(run));
        addAction(a);
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { navigate(0); });
    key(QKeySequence(Qt::Key_PageUp), [this] { navigate(1); });
    key(QKeySequence(Qt::Key_PageDown), [this] { navigate(2); });
    key(QKeySequence(Qt::CTRL | Qt::Key_End), [this] { navigate(3); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Up), [this] { scrollBy(0, -16); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Down), [this] { scrollBy(0, 16); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Left), [this] { scrollBy(-16, 0); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Right), [this] { scrollBy(16, 0); });
    key(QKeySequence(Qt::Key_F6), [this] { printPages(); });
}

TPrevForm::~TPrevForm() = default;

void TPrevForm::showPreview(const PreviewRequest &request)
{
    m_request = request;
    m_pager.start(request.job.sheetCount, request.browse);
    m_status->setText(request.statusLine);
    m_zoom = 100;
    if (iniPath && !iniPath().isEmpty())
        m_zoom = std::clamp(platform::IniFile(iniPath()).readInteger(u"Tisk", u"Nahled", 100), 1, 500);
    m_zoomBox->setEditText(QString::number(m_zoom) + u'%');
    updatePage();
    m_print->setFocus();
    // The place it returns to when the user restores it from maximised: the
    // screen's top-left corner, 800 × 573 (640 × 453 on a small screen).
    if (!isVisible() && !(windowState() & Qt::WindowMaximized)) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        setGeometry(
            QRect(area.topLeft(), QSize(area.width() <= 640 ? 640 : 800, area.height() <= 480 ? 453 : 573)));
    }
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowState(windowState() | Qt::WindowMaximized);
    if (onShown)
        QTimer::singleShot(0, this, [this] { onShown(*this); });
    exec();
    m_request = {};
    m_page->show(nullptr, 0, m_zoom);
}

void TPrevForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_scroll->horizontalScrollBar()->setValue(0);
    m_scroll->verticalScrollBar()->setValue(0);
}

void TPrevForm::hideEvent(QHideEvent *event)
{
    m_pager.hidden();
    if (iniPath && !iniPath().isEmpty()) {
        platform::writeIfPossible(
            [&] { platform::IniFile(iniPath()).writeInteger(u"Tisk", u"Nahled", m_zoom); });
    }
    QDialog::hideEvent(event);
}

void TPrevForm::updatePage()
{
    m_page->show(&m_request.job, m_pager.sheet(), m_zoom);
    m_pageLabel->setText(m_pager.label());
    m_nav[0]->setEnabled(m_pager.canFirst());
    m_nav[1]->setEnabled(m_pager.canPrior());
    m_nav[2]->setEnabled(m_pager.canNext());
    m_nav[3]->setEnabled(m_pager.canLast());
}

void TPrevForm::navigate(int i)
{
    bool closeNow = false;
    switch (i) {
    case 0:
        closeNow = m_pager.first();
        break;
    case 1:
        closeNow = m_pager.prior();
        break;
    case 2:
        closeNow = m_pager.next();
        break;
    default:
        closeNow = m_pager.last();
        break;
    }
    if (closeNow) {
        accept();
        return;
    }
    updatePage();
}

void TPrevForm::printPages()
{
    if (!m_request.print || !m_print->isEnabled())
        return;
    m_print->setEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_status->setText(u"Odesílám data do tiskárny ..."_s);
    QString failure;
    try {
        m_request.print();
    } catch (const platform::Error &e) {
        failure = e.message();
    }
    m_status->setText(m_request.statusLine);
    QGuiApplication::restoreOverrideCursor();
    if (!failure.isEmpty())
        m_messages.error(failure);
    m_print->setEnabled(true);
}

void TPrevForm::setZoom(int zoom)
{
    m_zoom = zoom;
    m_zoomBox->setEditText(QString::number(zoom) + u'%');
    m_scroll->horizontalScrollBar()->setValue(0);
    m_scroll->verticalScrollBar()->setValue(0);
    updatePage();
}

void TPrevForm::zoomEntered(const QString &text)
{
    int zoom = m_zoom;
    switch (parseZoom(text, zoom)) {
    case ZoomEntry::Accepted:
        setZoom(std::max(zoom, 1));
        break;
    case ZoomEntry::TooLarge:
        m_messages.information(u"Číslo může být maximálně 500."_s);
        m_zoomBox->setEditText(QString::number(m_zoom) + u'%');
        break;
    case ZoomEntry::Ignored:
        m_zoomBox->setEditText(QString::number(m_zoom) + u'%');
        break;
    }
}

void TPrevForm::scrollBy(int dx, int dy)
{
    m_scroll->horizontalScrollBar()->setValue(m_scroll->horizontalScrollBar()->value() + dx);
    m_scroll->verticalScrollBar()->setValue(m_scroll->verticalScrollBar()->value() + dy);
}

} // namespace print
