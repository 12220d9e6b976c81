#include "platform/HelpViewer.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace platform {

namespace {

// Where an entry of the list leads: file and anchor.
constexpr int FileRole = Qt::UserRole;
constexpr int AnchorRole = Qt::UserRole + 1;

} // namespace

HelpViewer::HelpViewer(const QString &helpDir, QWidget *parent)
    : QWidget(parent, Qt::Window), m_index(HelpIndex::load(helpDir))
{
    setObjectName(u"HelpViewer"_s);
    setWindowTitle(u"Nápověda"_s);
    resize(900, 600);

    auto *back = new QPushButton(u"&Zpět"_s);
    auto *forward = new QPushButton(u"&Vpřed"_s);
    auto *contents = new QPushButton(u"&Obsah"_s);
    back->setEnabled(false);
    forward->setEnabled(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(contents);
    buttons->addStretch();

    m_search = new QLineEdit;
    m_search->setObjectName(u"search"_s);
    m_keywordList = new QListWidget;
    m_keywordList->setObjectName(u"index"_s);
    m_search->setPlaceholderText(u"název, sl. 9, ř. 10, DIČ …"_s);
    auto *indexLabel = new QLabel(u"&Hledat (názvy, políčka i text):"_s);
    indexLabel->setBuddy(m_search);
    auto *left = new QWidget;
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(indexLabel);
    leftLayout->addWidget(m_search);
    leftLayout->addWidget(m_keywordList);

    m_browser = new QTextBrowser;
    m_browser->setObjectName(u"topic"_s);
    m_browser->setSearchPaths({helpDir});
    m_browser->setOpenExternalLinks(true);

    auto *splitter = new QSplitter;
    splitter->addWidget(left);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 560});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter);

    fillIndex();
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this, &HelpViewer::showDefault);
    connect(m_search, &QLineEdit::textChanged, this, &HelpViewer::searchChanged);
    connect(m_search, &QLineEdit::returnPressed, this, [this] {
        if (QListWidgetItem *item = m_keywordList->currentItem())
            itemActivated(item);
    });
    connect(m_keywordList, &QListWidget::itemActivated, this, &HelpViewer::itemActivated);
    connect(m_keywordList, &QListWidget::itemClicked, this, &HelpViewer::itemActivated);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl &) {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? u"Nápověda"_s : u"Nápověda - "_s + title);
    });
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::fillIndex()
{
    m_keywordList->clear();
    for (const QString &k : m_index.sortedKeywords()) {
        auto *item = new QListWidgetItem(k, m_keywordList);
        item->setData(FileRole, m_index.keywords().value(k).value(0));
    }
}

void HelpViewer::searchChanged(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        fillIndex();
        return;
    }
    // As the text is typed the list narrows to what it finds, the best
    // first; the first entry is selected so that Enter opens it.
    m_keywordList->clear();
    for (const HelpHit &hit : m_index.search(text)) {
        auto *item = new QListWidgetItem(hit.label, m_keywordList);
        item->setData(FileRole, hit.file);
        item->setData(AnchorRole, hit.anchor);
        item->setToolTip(hit.label);
    }
    if (m_keywordList->count() > 0)
        m_keywordList->setCurrentRow(0);
}

void HelpViewer::itemActivated(QListWidgetItem *item)
{
    const QString file = item->data(FileRole).toString();
    if (!file.isEmpty())
        showFile(file, item->data(AnchorRole).toString());
}

void HelpViewer::showFile(const QString &file, const QString &anchor)
{
    QUrl url = QUrl::fromLocalFile(QDir(m_index.dir()).filePath(file));
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    m_browser->setSource(url);
    present();
}

void HelpViewer::present()
{
    // Help is asked for mostly from modal windows, which block every other
    // window; lent to the modal window as its own, the help stays usable.
    // It is taken back before that window goes.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != this && modal != parentWidget() && !isAncestorOf(modal)) {
        if (parentWidget())
            parentWidget()->removeEventFilter(this);
        const QRect place = geometry();
        setParent(modal, Qt::Window);
        setGeometry(place);
        modal->installEventFilter(this);
    }
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

bool HelpViewer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && (event->type() == QEvent::Hide || event->type() == QEvent::Close)) {
        // Hidden with its lender, not by the user.
        const bool wasVisible = !isHidden();
        const QRect place = geometry();
        watched->removeEventFilter(this);
        setParent(nullptr, Qt::Window);
        setGeometry(place);
        if (wasVisible)
            show();
    }
    return QWidget::eventFilter(watched, event);
}

void HelpViewer::showContext(int context)
{
    const QString file = m_index.fileForContext(context);
    if (file.isEmpty()) {
        showDefault();
        return;
    }
    showFile(file);
}

void HelpViewer::showAnchor(const QString &anchor, int context)
{
    const QString file = m_index.fileForAnchor(anchor);
    if (file.isEmpty()) {
        showContext(context);
        return;
    }
    showFile(file, anchor);
}

void HelpViewer::showKeyword(const QString &keyword)
{
    m_search->setText(keyword);
    m_search->setFocus();
    if (m_browser->source().isEmpty())
        showFile(HelpIndex::defaultFile());
    else
        present();
}

void HelpViewer::showDefault()
{
    showFile(HelpIndex::defaultFile());
}

void HelpViewer::closeAll()
{
    hide();
}

QString HelpViewer::currentFile() const
{
    const QUrl source = m_browser->source();
    return source.isEmpty() ? QString() : QFileInfo(source.toLocalFile()).fileName();
}

QString HelpViewer::currentAnchor() const
{
    return m_browser->source().fragment();
}

QStringList HelpViewer::listedLabels() const
{
    QStringList labels;
    for (int i = 0; i < m_keywordList->count(); ++i)
        labels.append(m_keywordList->item(i)->text());
    return labels;
}

QString HelpViewer::searchText() const
{
    return m_search->text();
}

} // namespace platform
