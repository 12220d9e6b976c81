// Splash window shown while the program starts.
#pragma once

#include <QWidget>

namespace app {

// The square borderless window shown while the program starts.
class TSplashForm : public QWidget
{
    Q_OBJECT

public:
    explicit TSplashForm(QWidget *parent = nullptr);

    // Shows the window centred on the screen and paints it at once, before
    // the event loop runs.
    void showNow();

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace app
