#pragma once

// Page images against reference images: rendering at a fixed resolution and
// a comparison that forgives antialiasing but not a moved line or a missing
// character.

#include "print/Report.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>

namespace printtest {

// 100 dots per inch: an A4 sheet of 827 x 1169 pixels.
inline constexpr double kDpi = 100;

inline QImage renderImage(const print::PreparedPage &page, double dpi = kDpi)
{
    const QSize size(int(210 / 25.4 * dpi + 0.5), int(297 / 25.4 * dpi + 0.5));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    print::renderPage(painter, QRectF(QPointF(0, 0), QSizeF(size)), page);
    painter.end();
    return image;
}

struct Comparison
{
    int differing = 0; // pixels with no close match in the other image's neighbourhood
    QImage difference; // red where they differ
};

// A pixel counts as different when neither image holds a pixel of nearly
// its grey within one pixel around it: antialiasing shifts an edge by less.
inline Comparison compareImages(const QImage &actual, const QImage &expected)
{
    Comparison c;
    if (actual.size() != expected.size()) {
        c.differing = actual.width() * actual.height();
        return c;
    }
    const QImage a = actual.convertToFormat(QImage::Format_Grayscale8);
    const QImage b = expected.convertToFormat(QImage::Format_Grayscale8);
    c.difference = QImage(a.size(), QImage::Format_RGB32);
    const int w = a.width(), h = a.height();
    constexpr int tolerance = 96;
    auto near = [&](const QImage &img, int x, int y, int grey) {
        for (int dy = -1; dy <= 1; ++dy) {
            const int yy = y + dy;
            if (yy < 0 || yy >= h)
                continue;
            const uchar *line = img.constScanLine(yy);
            for (int dx = -1; dx <= 1; ++dx) {
                const int xx = x + dx;
                if (xx >= 0 && xx < w && std::abs(line[xx] - grey) <= tolerance)
                    return true;
            }
        }
        return false;
    };
    for (int y = 0; y < h; ++y) {
        const uchar *la = a.constScanLine(y);
        const uchar *lb = b.constScanLine(y);
        QRgb *out = reinterpret_cast<QRgb *>(c.difference.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int ga = la[x], gb = lb[x];
            bool differs = false;
            if (std::abs(ga - gb) > tolerance)
                differs = !near(b, x, y, ga) || !near(a, x, y, gb);
            c.differing += differs;
            const int faint = 255 - (255 - ga) / 4;
            out[x] = differs ? qRgb(255, 0, 0) : qRgb(faint, faint, faint);
        }
    }
    return c;
}

} // namespace printtest
