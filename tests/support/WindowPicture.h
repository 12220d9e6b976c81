#pragma once

// Pictures of windows for the README and the docs.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace testsupport {

// The offscreen platform draws no window frame; the caption is drawn above
// the window's own picture so the picture shows it.
inline QImage withCaption(QWidget *window)
{
    const QPixmap body = window->grab();
    const int bar = 26;
    QImage image(body.width() + 2, body.height() + bar + 1, QImage::Format_RGB32);
    image.fill(QColor(64, 84, 128));
    QPainter p(&image);
    p.drawPixmap(1, bar, body);
    QFont f = window->font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(10, 0, image.width() - 20, bar), Qt::AlignVCenter | Qt::AlignLeft,
               window->windowTitle());
    return image;
}

} // namespace testsupport
