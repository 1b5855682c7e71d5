#include "skin/Canvas.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace {

// 96 dots per inch, so point-sized fonts drawn on the image have the sizes
// they have on a Windows screen.
constexpr int kDotsPerMeter = 3780;

QImage MakeImage(QSize size) {
    QImage image(size.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    image.fill(Qt::black);
    return image;
}

} // namespace

Canvas::Canvas(QWidget* owner, QSize size) : owner(owner), image(MakeImage(size)) {}

void Canvas::Resize(QSize size) {
    if (size == image.size())
        return;
    QImage next = MakeImage(size);
    QPainter p(&next);
    p.drawImage(0, 0, image);
    p.end();
    image = std::move(next);
    Changed(image.rect());
}

void Canvas::Changed(const QRect& r) {
    if (owner && notifyOwner)
        owner->update(r.intersected(image.rect()));
}

void Canvas::DrawImage(int x, int y, const QImage& src, bool transparent) {
    if (src.isNull())
        return;
    const QRect target = QRect(x, y, src.width(), src.height()).intersected(image.rect());
    if (target.isEmpty())
        return;
    if (!transparent) {
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(x, y), src);
    } else {
        const QImage rgb = src.format() == QImage::Format_RGB32
                               ? src
                               : src.convertToFormat(QImage::Format_RGB32);
        // The sprite's own lower-left pixel names its see-through colour.
        const QRgb key = rgb.pixel(0, rgb.height() - 1) | 0xFF000000u;
        for (int ty = target.top(); ty <= target.bottom(); ++ty) {
            const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(ty - y));
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(ty));
            for (int tx = target.left(); tx <= target.right(); ++tx) {
                const QRgb px = in[tx - x] | 0xFF000000u;
                if (px != key)
                    out[tx] = px;
            }
        }
    }
    Changed(target);
}

void Canvas::CopyRect(const QRect& dst, const QImage& src, const QRect& srcRect) {
    if (image.isNull() || src.isNull() || dst.isEmpty())
        return;
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(dst, src, srcRect);
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
    const QFontMetrics fm(font, &image);
    p.drawText(QPoint(x, y + fm.ascent()), text);
    p.end();
    // Glyphs may overhang their advance by a pixel or two.
    Changed(QRect(x - 2, y, fm.horizontalAdvance(text) + 4, fm.height()));
}

QSize Canvas::TextExtent(const QString& text, const QFont& font) const {
    const QFontMetrics fm(font, &image);
    return {fm.horizontalAdvance(text), fm.height()};
}

void Canvas::Frame(const QRect& r, const QColor& pen, int width, bool dotted) {
    if (r.isEmpty() || width <= 0)
        return;
    // The outline lies inside the rectangle, as a shape control draws it.
    const int w = std::min({width, (r.width() + 1) / 2, (r.height() + 1) / 2});
    const QRgb c = pen.rgb() | 0xFF000000u;
    const QRect clip = image.rect();
    auto put = [&](int px, int py, int along) {
        if (dotted && (along / w) % 2 != 0)
            return;
        if (clip.contains(px, py))
            reinterpret_cast<QRgb*>(image.scanLine(py))[px] = c;
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
