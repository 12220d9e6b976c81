#include "app/TSplashForm.h"

#include "settlement/Version.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;

namespace app {

namespace {

constexpr int Side = 320;

// A sheet of a tax form with its ruled lines and a stamp of the year.
void drawPicture(QPainter &p, const QRect &area)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF sheet(area.left() + area.width() * 0.28, area.top(), area.width() * 0.44, area.height());
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(sheet);
    p.setPen(QPen(QColor(120, 140, 190), 1));
    for (int i = 1; i < 9; ++i) {
        const qreal y = sheet.top() + sheet.height() * i / 10.0;
        p.drawLine(QPointF(sheet.left() + 10, y), QPointF(sheet.right() - (i % 3 == 0 ? 40 : 10), y));
    }
    const QRectF stamp(sheet.right() - 42, sheet.bottom() - 42, 54, 54);
    p.setPen(QPen(QColor(180, 30, 30), 2));
    p.setBrush(QColor(255, 235, 235, 220));
    p.drawEllipse(stamp);
    QFont f(u"Arial CE"_s);
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.drawText(stamp, Qt::AlignCenter, QString::number(settlement::Version::TaxYear));
}

} // namespace

TSplashForm::TSplashForm(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(u"SplashForm"_s);
    setFixedSize(Side, Side);
    setCursor(Qt::WaitCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TSplashForm::showNow()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TSplashForm::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(236, 236, 228));
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.drawRect(rect().adjusted(1, 1, -2, -2));

    drawPicture(p, QRect(40, 30, Side - 80, 170));

    // The title twice: a grey copy three pixels lower and to the right
    // under the black one gives it its shadow.
    QFont title(u"Arial CE"_s);
    title.setPixelSize(64);
    title.setBold(true);
    p.setFont(title);
    const QRect titleRect(0, 205, Side, 80);
    p.setPen(QColor(128, 128, 128));
    p.drawText(titleRect.translated(3, 3), Qt::AlignHCenter | Qt::AlignTop,
               settlement::Version::applicationTitle());
    p.setPen(Qt::black);
    p.drawText(titleRect, Qt::AlignHCenter | Qt::AlignTop, settlement::Version::applicationTitle());

    QFont small(u"Arial CE"_s);
    small.setPixelSize(12);
    p.setFont(small);
    p.drawText(QRect(0, Side - 28, Side, 20), Qt::AlignCenter, u"verze "_s + settlement::Version::text());
}

} // namespace app
