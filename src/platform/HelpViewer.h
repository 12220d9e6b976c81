// Help window.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTextBrowser;

namespace platform {

// One HTML topic of the help folder. A topic names its context numbers and
// index keywords in its head:
//   <meta name="context" content="16">
//   <meta name="keywords" content="Počet zaměstnanců; Pracoviště">
struct HelpTopic
{
    QString file; // name inside the help folder
    QString title;
    QList<int> contexts;
    QStringList keywords;
};

// The topics of a help folder and its index.
class HelpIndex
{
public:
    // Reads every "*.html" of dir; a folder that is missing gives no topics.
    static HelpIndex load(const QString &dir);
    static HelpTopic parseTopic(const QString &file, const QString &html);

    const QString &dir() const { return m_dir; }
    const QList<HelpTopic> &topics() const { return m_topics; }
    // Empty when no topic carries the number.
    QString fileForContext(int context) const;
    // Keyword (and topic title) -> files, for the index list.
    const QHash<QString, QStringList> &keywords() const { return m_keywords; }
    // The keyword of the index a typed text selects: the first one, in Czech
    // order, that begins with the text regardless of letter case; failing
    // that, the first one that contains it.
    QString keywordFor(const QString &typed) const;
    QStringList sortedKeywords() const;

    // The topic shown when nothing more specific was asked for.
    static QString defaultFile() { return QStringLiteral("uvod.html"); }

private:
    QString m_dir;
    QList<HelpTopic> m_topics;
    QHash<int, QString> m_contexts;
    QHash<QString, QStringList> m_keywords;
};

// The program's help window: the topic on the right, the index with a search
// box on the left, back, forward and contents buttons. One window serves
// every request; closeAll hides it.
class HelpViewer : public QWidget
{
    Q_OBJECT

public:
    explicit HelpViewer(const QString &helpDir, QWidget *parent = nullptr);
    ~HelpViewer() override;

    const HelpIndex &index() const { return m_index; }

    // Each shows the window and brings it to the front.
    void showContext(int context);
    void showKeyword(const QString &keyword);
    void showDefault();
    void closeAll();

    // The file shown, inside the help folder; empty before the first request.
    QString currentFile() const;
    QString searchText() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showFile(const QString &file);
    void fillIndex();
    void searchChanged(const QString &text);
    void keywordActivated(QListWidgetItem *item);
    void present();

    HelpIndex m_index;
    QLineEdit *m_search = nullptr;
    QListWidget *m_keywordList = nullptr;
    QTextBrowser *m_browser = nullptr;
};

} // namespace platform
