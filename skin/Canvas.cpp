#include "skin/Canvas.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace {

// 96 dots per inch, so point-sized fonts drawn on the image have the sizes
// they have on a Windows screen.
constexpr int kDotsPerMeter = 3780;

QImage MakeImage(QSize size, qreal dpr) {
    QImage image((size * dpr).expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::black);
    return image;
}

// Texts are measured at 1x whatever the ratio, so layouts built on their
// extents stay the same on every screen.
const QImage& MetricsDevice() {
    static const QImage device = MakeImage(QSize(1, 1), 1);
    return device;
}

// An image's size in the 1x coordinates it is drawn in.
QSize LogicalSize(const QImage& src) {
    return (QSizeF(src.size()) / src.devicePixelRatio()).toSize();
}

// `src` with the pixels of its lower-left pixel's colour see-through.
QImage KeyedOut(const QImage& src) {
    QImage argb = src.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = argb.pixel(0, argb.height() - 1) | 0xFF000000u;
    for (int y = 0; y < argb.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            line[x] = (line[x] | 0xFF000000u) == key ? 0u : line[x] | 0xFF000000u;
    }
    return argb;
}

} // namespace

Canvas::Canvas(QWidget* owner, QSize size)
    : owner(owner), dpr(owner ? owner->devicePixelRatioF() : 1.0),
      size(size.expandedTo(QSize(0, 0))), image(MakeImage(size, dpr)) {}

void Canvas::Resize(QSize next) {
    if (next == size)
        return;
    QImage resized = MakeImage(next, dpr);
    QPainter p(&resized);
    p.drawImage(0, 0, image);
    p.end();
    size = next.expandedTo(QSize(0, 0));
    image = std::move(resized);
    Changed(ClientRect());
}

void Canvas::SetDevicePixelRatio(qreal ratio) {
    if (ratio == dpr || ratio <= 0)
        return;
    dpr = ratio;
    QImage rescaled = MakeImage(size, dpr);
    QPainter p(&rescaled);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(ClientRect()), image);
    p.end();
    image = std::move(rescaled);
    Changed(ClientRect());
}

bool Canvas::ScalesSmoothly(qreal from, qreal to) {
    const qreal factor = to / from;
    return factor < 1 || !qFuzzyCompare(factor, std::round(factor));
}

QRect Canvas::DeviceRect(int x, int y) const {
    const QPoint from(qRound(x * dpr), qRound(y * dpr));
    const QPoint to(qRound((x + 1) * dpr), qRound((y + 1) * dpr));
    return QRect(from, to - QPoint(1, 1));
}

QColor Canvas::Pixel(int x, int y) const {
    return image.pixelColor(DeviceRect(x, y).topLeft());
}

void Canvas::Changed(const QRect& r) {
    if (owner && notifyOwner)
        owner->update(r.intersected(ClientRect()));
}

void Canvas::DrawImage(int x, int y, const QImage& src, bool transparent) {
    if (src.isNull())
        return;
    const QRect target = QRect(QPoint(x, y), LogicalSize(src)).intersected(ClientRect());
    if (target.isEmpty())
        return;
    const int scale = qRound(dpr);
    if (transparent && src.devicePixelRatio() == dpr && scale == dpr) {
        // Pixel for pixel: the key colour is matched exactly, as it is drawn.
        const QImage rgb = src.format() == QImage::Format_RGB32
                               ? src
                               : src.convertToFormat(QImage::Format_RGB32);
        // The sprite's own lower-left pixel names its see-through colour.
        const QRgb key = rgb.pixel(0, rgb.height() - 1) | 0xFF000000u;
        const QPoint origin = QPoint(x, y) * scale;
        const QRect pixels = QRect(origin, src.size()).intersected(image.rect());
        for (int ty = pixels.top(); ty <= pixels.bottom(); ++ty) {
            const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(ty - origin.y()));
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(ty));
            for (int tx = pixels.left(); tx <= pixels.right(); ++tx) {
                const QRgb px = in[tx - origin.x()] | 0xFF000000u;
                if (px != key)
                    out[tx] = px;
            }
        }
    } else {
        // Another ratio than the canvas's: the painter scales.
        QPainter p(&image);
        p.setRenderHint(QPainter::SmoothPixmapTransform,
                        ScalesSmoothly(src.devicePixelRatio(), dpr));
        if (transparent) {
            p.drawImage(QPoint(x, y), KeyedOut(src));
        } else {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(QPoint(x, y), src);
        }
    }
    Changed(target);
}

void Canvas::CopyRect(const QRect& dst, const QImage& src, const QRect& srcRect) {
    if (image.isNull() || src.isNull() || dst.isEmpty())
        return;
    const qreal ratio = src.devicePixelRatio();
    const QRectF from(srcRect.x() * ratio, srcRect.y() * ratio, srcRect.width() * ratio,
                      srcRect.height() * ratio);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::SmoothPixmapTransform, ScalesSmoothly(ratio, dpr));
    p.drawImage(QRectF(dst), src, from);
    p.end();
    Changed(dst);
}

void Canvas::FillRect(const QRect& r, const QColor& c) {
    if (image.isNull())
        return;  // a window not sized yet has nothing to draw on
    QPainter p(&image);
    p.fillRect(r, c);
    p.end();
    Changed(r);
}

void Canvas::TextOut(int x, int y, const QString& text, const QFont& font, const QColor& colour) {
    if (text.isEmpty() || image.isNull())
        return;
    QPainter p(&image);
    p.setFont(font);
    p.setPen(colour);
    const QFontMetrics fm(font, &MetricsDevice());
    p.drawText(QPoint(x, y + fm.ascent()), text);
    p.end();
    // Glyphs may overhang their advance by a pixel or two.
    Changed(QRect(x - 2, y, fm.horizontalAdvance(text) + 4, fm.height()));
}

QSize Canvas::TextExtent(const QString& text, const QFont& font) const {
    const QFontMetrics fm(font, &MetricsDevice());
    return {fm.horizontalAdvance(text), fm.height()};
}

void Canvas::Frame(const QRect& r, const QColor& pen, int width, bool dotted) {
    if (r.isEmpty() || width <= 0)
        return;
    // The outline lies inside the rectangle, as a shape control draws it.
    const int w = std::min({width, (r.width() + 1) / 2, (r.height() + 1) / 2});
    const QRgb c = pen.rgb() | 0xFF000000u;
    const QRect clip = ClientRect();
    auto put = [&](int px, int py, int along) {
        if (dotted && (along / w) % 2 != 0)
            return;
        if (!clip.contains(px, py))
            return;
        // Whole device pixels of one colour: the outline stays sharp at any ratio.
        const QRect cell = DeviceRect(px, py).intersected(image.rect());
        for (int dy = cell.top(); dy <= cell.bottom(); ++dy)
            for (int dx = cell.left(); dx <= cell.right(); ++dx)
                reinterpret_cast<QRgb*>(image.scanLine(dy))[dx] = c;
    };
    for (int i = 0; i < w; ++i) {
        for (int px = r.left(); px <= r.right(); ++px) {
            put(px, r.top() + i, px - r.left());
            put(px, r.bottom() - i, px - r.left());
        }
        for (int py = r.top() + w; py <= r.bottom() - w; ++py) {
            put(r.left() + i, py, py - r.top());
            put(r.right() - i, py, py - r.top());
        }
    }
    Changed(r);
}

void Canvas::Ellipse(const QRect& r, const QColor& pen, const QColor& brush) {
    if (image.isNull())
        return;
    QPainter p(&image);
    p.setPen(pen);
    p.setBrush(brush);
    p.drawEllipse(r.adjusted(0, 0, -1, -1));
    p.end();
    Changed(r);
}
