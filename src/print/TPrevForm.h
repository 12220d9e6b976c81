// Print preview window.
#pragma once

#include "print/PreviewPager.h"
#include "print/PrintRun.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace platform {
class IMessages;
}

namespace print {

class PreviewPage;

// The preview "Qesto - Náhled před tiskem": shows the sheets of a produced
// page, zooms, scrolls and pages through them, prints them; while the print
// window pages through a statement its navigation chooses the next page.
// One instance lives for the whole run and is shown modally per page.
class TPrevForm : public QDialog, public IPreview
{
    Q_OBJECT

public:
    explicit TPrevForm(platform::IMessages &messages, QWidget *parent = nullptr);
    ~TPrevForm() override;

    // The open settlement's INI file, where the zoom is kept ("Tisk",
    // "Nahled"); empty: the zoom is not kept.
    std::function<QString()> iniPath;

    // IPreview: shows the page modally.
    void showPreview(const PreviewRequest &request) override;

    // ---- for tests
    const PreviewPager &pager() const { return m_pager; }
    int zoom() const { return m_zoom; }
    QComboBox *zoomBox() const { return m_zoomBox; }
    QLabel *pageLabel() const { return m_pageLabel; }
    QLabel *statusLine() const { return m_status; }
    QPushButton *printButton() const { return m_print; }
    QPushButton *navigationButton(int i) const { return m_nav[i]; } // 0 first … 3 last
    // Called once the window is shown, before the user acts (tests drive it).
    std::function<void(TPrevForm &)> onShown;

    void navigate(int i);
    void printPages();
    void setZoom(int zoom);
    void zoomEntered(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updatePage();
    void scrollBy(int dx, int dy);

    platform::IMessages &m_messages;
    PreviewRequest m_request;
    PreviewPager m_pager;
    int m_zoom = 100;

    QComboBox *m_zoomBox = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_nav[4] = {};
    QLabel *m_pageLabel = nullptr;
    QLabel *m_status = nullptr;
    QScrollArea *m_scroll = nullptr;
    PreviewPage *m_page = nullptr;
};

} // namespace print
