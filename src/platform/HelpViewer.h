// Help window.
#pragma once

#include "platform/HelpIndex.h"

#include <QString>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTextBrowser;

namespace platform {

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
    // The topic holding the anchor, scrolled to it; without such a topic the
    // context's topic, else the default one.
    void showAnchor(const QString &anchor, int context = 0);
    void showKeyword(const QString &keyword);
    void showDefault();
    void closeAll();

    // The file shown, inside the help folder; empty before the first request.
    QString currentFile() const;
    // The anchor the topic was opened at; empty at its top.
    QString currentAnchor() const;
    QString searchText() const;
    // What the list beside the topic offers, in order.
    QStringList listedLabels() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showFile(const QString &file, const QString &anchor = {});
    void fillIndex();
    void searchChanged(const QString &text);
    void itemActivated(QListWidgetItem *item);
    void present();

    HelpIndex m_index;
    QLineEdit *m_search = nullptr;
    QListWidget *m_keywordList = nullptr;
    QTextBrowser *m_browser = nullptr;
};

} // namespace platform
