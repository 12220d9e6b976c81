#include "platform/HelpViewer.h"

#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace platform {

namespace {

QString metaContent(const QString &html, const QString &name)
{
    // Attributes in either order, single or double quotes.
    const QRegularExpression re(
        uR"(<meta\s+[^>]*name\s*=\s*["']%1["'][^>]*content\s*=\s*["']([^"']*)["'])"_s.arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(html);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

QCollator czechCollator()
{
    QCollator collator{QLocale(QLocale::Czech, QLocale::CzechRepublic)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

HelpTopic HelpIndex::parseTopic(const QString &file, const QString &html)
{
    HelpTopic topic;
    topic.file = file;
    static const QRegularExpression title(u"<title>(.*?)</title>"_s,
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = title.match(html);
    topic.title = m.hasMatch() ? m.captured(1).simplified() : file;
    for (const QString &part : metaContent(html, u"context"_s).split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (ok)
            topic.contexts.append(n);
    }
    for (const QString &part : metaContent(html, u"keywords"_s).split(u';', Qt::SkipEmptyParts)) {
        const QString k = part.simplified();
        if (!k.isEmpty())
            topic.keywords.append(k);
    }
    return topic;
}

HelpIndex HelpIndex::load(const QString &dir)
{
    HelpIndex index;
    index.m_dir = dir;
    const QDir folder(dir);
    const QStringList files = folder.entryList({u"*.html"_s}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        QFile f(folder.filePath(name));
        // Topics are small; a stray large file is not a topic.
        if (f.size() > 1024 * 1024 || !f.open(QIODevice::ReadOnly))
            continue;
        HelpTopic topic = parseTopic(name, QString::fromUtf8(f.readAll()));
        for (int c : std::as_const(topic.contexts))
            index.m_contexts.insert(c, name);
        for (const QString &k : std::as_const(topic.keywords))
            index.m_keywords[k].append(name);
        if (!topic.keywords.contains(topic.title))
            index.m_keywords[topic.title].append(name);
        index.m_topics.append(std::move(topic));
    }
    return index;
}

QString HelpIndex::fileForContext(int context) const
{
    return m_contexts.value(context);
}

QStringList HelpIndex::sortedKeywords() const
{
    QStringList keys = m_keywords.keys();
    const QCollator collator = czechCollator();
    std::sort(keys.begin(), keys.end(), collator);
    return keys;
}

QString HelpIndex::keywordFor(const QString &typed) const
{
    const QString wanted = typed.trimmed();
    if (wanted.isEmpty())
        return {};
    for (const QString &k : sortedKeywords()) {
        if (k.startsWith(wanted, Qt::CaseInsensitive))
            return k;
    }
    // Nothing begins with it: the first keyword that contains it at all.
    for (const QString &k : sortedKeywords()) {
        if (k.contains(wanted, Qt::CaseInsensitive))
            return k;
    }
    return {};
}

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
    auto *indexLabel = new QLabel(u"&Hledat v rejstříku:"_s);
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
            keywordActivated(item);
    });
    connect(m_keywordList, &QListWidget::itemActivated, this, &HelpViewer::keywordActivated);
    connect(m_keywordList, &QListWidget::itemClicked, this, &HelpViewer::keywordActivated);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl &) {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? u"Nápověda"_s : u"Nápověda - "_s + title);
    });
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::fillIndex()
{
    for (const QString &k : m_index.sortedKeywords())
        m_keywordList->addItem(k);
}

void HelpViewer::searchChanged(const QString &text)
{
    const QString keyword = m_index.keywordFor(text);
    if (keyword.isEmpty())
        return;
    const QList<QListWidgetItem *> found = m_keywordList->findItems(keyword, Qt::MatchExactly);
    if (!found.isEmpty()) {
        m_keywordList->setCurrentItem(found.first());
        m_keywordList->scrollToItem(found.first(), QAbstractItemView::PositionAtTop);
    }
}

void HelpViewer::keywordActivated(QListWidgetItem *item)
{
    const QStringList files = m_index.keywords().value(item->text());
    if (!files.isEmpty())
        showFile(files.first());
}

void HelpViewer::showFile(const QString &file)
{
    m_browser->setSource(QUrl::fromLocalFile(QDir(m_index.dir()).filePath(file)));
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

QString HelpViewer::searchText() const
{
    return m_search->text();
}

} // namespace platform
