#include "resources/skin/Draw.h"

#include <QLinearGradient>

namespace skingen {

namespace {
int drawScale = 1;
} // namespace

void SetDrawScale(int scale) {
    drawScale = scale;
}

QImage NewImage(int w, int h, const QColor& fill) {
    QImage image(w * drawScale, h * drawScale, QImage::Format_RGB32);
    if (drawScale != 1)
        image.setDevicePixelRatio(drawScale);
    image.fill(fill);
    return image;
}

QFont GenFont(int pixelSize, bool bold, const QString& family) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

void Bevel(QPainter& p, const QRect& r, const QColor& face, bool sunken) {
    p.fillRect(r, face);
    const QColor light = face.lighter(150);
    const QColor dark = face.darker(200);
    p.setPen(sunken ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(sunken ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

void VerticalGradient(QPainter& p, const QRect& r, const QColor& top, const QColor& bottom) {
    p.fillRect(r, TwoTone(r.topLeft(), r.bottomLeft(), top, bottom));
}

QLinearGradient TwoTone(const QPointF& from, const QPointF& to, const QColor& start,
                        const QColor& end) {
    QLinearGradient g(from, to);
    g.setColorAt(0, start);
    g.setColorAt(1, end);
    return g;
}

void RoundedBox(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill,
                const QColor& edge) {
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
}

void DropShadow(QPainter& p, const QRectF& r, qreal radius) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(r, radius, radius);
}

void Text(QPainter& p, const QRect& r, const QString& text, int pixelSize, const QColor& colour,
          int flags, bool bold) {
    p.save();
    p.setFont(GenFont(pixelSize, bold));
    p.setPen(colour);
    p.drawText(r, flags, text);
    p.restore();
}

void Chip(QPainter& p, const QRect& body, const QString& label, const QString& pinSides) {
    p.save();
    p.setPen(Qt::NoPen);
    const QColor pin(0xb8, 0xbc, 0xc4);
    const int step = 3;
    if (pinSides.contains('l') || pinSides.contains('r')) {
        for (int y = body.top() + 2; y <= body.bottom() - 2; y += step) {
            if (pinSides.contains('l'))
                p.fillRect(QRect(body.left() - 2, y, 2, 1), pin);
            if (pinSides.contains('r'))
                p.fillRect(QRect(body.right() + 1, y, 2, 1), pin);
        }
    }
    if (pinSides.contains('t') || pinSides.contains('b')) {
        for (int x = body.left() + 2; x <= body.right() - 2; x += step) {
            if (pinSides.contains('t'))
                p.fillRect(QRect(x, body.top() - 2, 1, 2), pin);
            if (pinSides.contains('b'))
                p.fillRect(QRect(x, body.bottom() + 1, 1, 2), pin);
        }
    }
    p.fillRect(body, pal::kChip);
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor(0x3a, 0x3e, 0x46));
    p.drawRect(body.adjusted(0, 0, -1, -1));
    p.setPen(QColor(0x55, 0x5a, 0x62));
    p.drawPoint(body.left() + 2, body.top() + 2);
    if (!label.isEmpty()) {
        const int px = body.width() < 40 ? 6 : 7;
        Text(p, body, label, px, QColor(0xb0, 0xb4, 0xbc));
    }
    p.restore();
}

void GroupPanel(QPainter& p, const QRect& r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x2e, 0x3b, 0x56), 1));
    p.setBrush(pal::kPanel);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    // Keep the inside exactly the panel colour: sprites are keyed on it.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(r.adjusted(2, 2, -2, -2), pal::kPanel);
    p.setPen(QColor(0x3a, 0x4a, 0x6a));
    p.drawLine(r.left() + 6, r.top() + 1, r.right() - 6, r.top() + 1);
    p.restore();
}

void LogoChip(QPainter& p, const QRectF& chip, qreal ringInset, qreal coreInset,
              const QColor& top, const QColor& bottom, const QColor& edge) {
    RoundedBox(p, chip, 5, TwoTone(chip.topLeft(), chip.bottomRight(), top, bottom), edge);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::kAccent);
    p.drawRoundedRect(chip.adjusted(ringInset, ringInset, -ringInset, -ringInset), 4, 4);
    p.setBrush(bottom);
    p.drawRect(chip.adjusted(coreInset, coreInset, -coreInset, -coreInset));
}

void LogoMark(QPainter& p, const QRectF& tile, qreal radius, qreal coreInset, qreal dotInset,
              const QColor& core) {
    p.setPen(Qt::NoPen);
    p.setBrush(pal::kAccent);
    p.drawRoundedRect(tile, radius, radius);
    p.setBrush(core);
    p.drawRect(tile.adjusted(coreInset, coreInset, -coreInset, -coreInset));
    p.setBrush(pal::kAccent);
    p.drawRect(tile.adjusted(dotInset, dotInset, -dotInset, -dotInset));
}

void Crisp(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
}

} // namespace skingen
