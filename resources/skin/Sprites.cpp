// Small pictures drawn transparently over page backgrounds. Each is painted on
// the page panel colour, which is also its lower-left pixel and so its
// see-through colour: antialiased edges blend into the panel they land on.
#include <QPainterPath>
#include <array>

#include "resources/skin/Draw.h"
#include "resources/skin/Pictures.h"

namespace skingen {

namespace {

// Segments a..g of each hex digit, as bits 0..6.
constexpr std::array<unsigned, 16> kSegments = {
    0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07,
    0x7F, 0x6F, 0x77, 0x7C, 0x39, 0x5E, 0x79, 0x71,
};

// One segment as a slanted hexagon between two points.
QPainterPath Segment(QPointF a, QPointF b, double t) {
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    const QPointF u = d / len;
    const QPointF n(-u.y() * t / 2, u.x() * t / 2);
    QPainterPath path;
    path.moveTo(a + u * 0.5);
    path.lineTo(a + u * (t / 2 + 0.5) + n);
    path.lineTo(b - u * (t / 2 + 0.5) + n);
    path.lineTo(b - u * 0.5);
    path.lineTo(b - u * (t / 2 + 0.5) - n);
    path.lineTo(a + u * (t / 2 + 0.5) - n);
    path.closeSubpath();
    return path;
}

QImage HexGlyph(int digit, int w, int h) {
    QImage image = NewImage(w, h, pal::kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The display window, leaving a border of panel colour around it.
    p.setPen(QPen(QColor(0x30, 0x0c, 0x0c), 1));
    p.setBrush(QColor(0x12, 0x06, 0x08));
    p.drawRoundedRect(QRectF(1.5, 1.5, w - 3, h - 4), 3, 3);
    const double slant = 0.12;
    auto pt = [&](double x, double y) { return QPointF(x + (h - y) * slant - 3, y); };
    const double l = 9, r = 31, t = 7, m = h / 2.0 - 1, b = h - 10, th = 4.6;
    const std::array<QPainterPath, 7> seg = {
        Segment(pt(l, t), pt(r, t), th), Segment(pt(r, t), pt(r, m), th),
        Segment(pt(r, m), pt(r, b), th), Segment(pt(l, b), pt(r, b), th),
        Segment(pt(l, m), pt(l, b), th), Segment(pt(l, t), pt(l, m), th),
        Segment(pt(l, m), pt(r, m), th),
    };
    const QColor off(0x3c, 0x12, 0x12);
    const QColor on(0xff, 0x2e, 0x22);
    p.setPen(Qt::NoPen);
    for (int s = 0; s < 7; ++s) {
        const bool lit = (kSegments[digit] >> s) & 1;
        if (lit) {
            p.setBrush(QColor(0xff, 0x30, 0x20, 60));
            p.setPen(QPen(QColor(0xff, 0x30, 0x20, 50), 3));
            p.drawPath(seg[s]);
            p.setPen(Qt::NoPen);
        }
        p.setBrush(lit ? on : off);
        p.drawPath(seg[s]);
    }
    return image;
}

QImage Switch(bool up, int w, int h) {
    QImage image = NewImage(w, h, pal::kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    RoundedBox(p, QRectF(1.5, 1.5, w - 3, h - 4), 2, QColor(0x22, 0x26, 0x2e),
               QColor(0x08, 0x0a, 0x0e));
    const QRectF slot(w / 2.0 - 3, 6, 6, h - 14);
    p.setBrush(QColor(0x06, 0x07, 0x0a));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(slot, 2, 2);
    const double kh = 22;
    const QRectF knob(3.5, up ? 4 : h - kh - 6, w - 7, kh);
    RoundedBox(p, knob, 2,
               TwoTone(knob.topLeft(), knob.bottomLeft(), QColor(0xf4, 0xf6, 0xfa),
                       QColor(0x9c, 0xa4, 0xb2)),
               QColor(0x40, 0x46, 0x50));
    p.setPen(QPen(QColor(0x70, 0x78, 0x86), 1));
    for (int i = 0; i < 3; ++i) {
        const double y = knob.top() + 7 + i * 4;
        p.drawLine(QPointF(knob.left() + 3, y), QPointF(knob.right() - 3, y));
    }
    return image;
}

QImage Key(bool down, int w, int h) {
    QImage image = NewImage(w, h, pal::kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF base(2.5, 2.5, w - 5, h - 6);
    RoundedBox(p, base, 4, QColor(0x2e, 0x32, 0x3a), QColor(0x08, 0x0a, 0x0e));
    const double inset = down ? 9 : 7;
    const QRectF cap = base.adjusted(inset, inset, -inset, -inset).translated(0, down ? 1 : -1);
    if (!down) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 110));
        p.drawEllipse(cap.translated(1.5, 2.5));
    }
    QRadialGradient g(cap.center() - QPointF(3, 3), cap.width() * 0.75);
    g.setColorAt(0, down ? QColor(0x4a, 0x64, 0x8a) : QColor(0x7c, 0xa4, 0xd8));
    g.setColorAt(1, down ? QColor(0x1c, 0x2a, 0x40) : QColor(0x2a, 0x44, 0x6e));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x0c, 0x12, 0x1e), 1));
    p.drawEllipse(cap);
    return image;
}

QImage UsbIcon(char kind, bool on, int w, int h) {
    QImage image = NewImage(w, h, pal::kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(1.5, 1.5, w - 3, h - 4);
    p.setPen(QPen(on ? QColor(0x20, 0xc0, 0x60) : QColor(0x3a, 0x40, 0x4c), 1));
    p.setBrush(on ? QColor(0x0e, 0x2e, 0x22) : QColor(0x1a, 0x1e, 0x26));
    p.drawRoundedRect(tile, 5, 5);
    const QColor ink = on ? QColor(0x4c, 0xff, 0x8c) : QColor(0x5a, 0x60, 0x6c);
    const QPointF c = tile.center();
    switch (kind) {
    case 'd': {  // a memory stick
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(c.x() - 6, c.y() - 6, 12, 17), 2, 2);
        p.setBrush(ink.darker(150));
        p.drawRect(QRectF(c.x() - 4, c.y() - 12, 8, 6));
        p.setBrush(on ? QColor(0x0e, 0x2e, 0x22) : QColor(0x1a, 0x1e, 0x26));
        p.drawRect(QRectF(c.x() - 2.5, c.y() - 10, 2, 2));
        p.drawRect(QRectF(c.x() + 0.5, c.y() - 10, 2, 2));
        break;
    }
    case 'm': {  // a mouse
        p.setPen(QPen(ink, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(c.x() - 7, c.y() - 10, 14, 20), 7, 7);
        p.drawLine(QPointF(c.x() - 7, c.y() - 3), QPointF(c.x() + 7, c.y() - 3));
        p.drawLine(QPointF(c.x(), c.y() - 10), QPointF(c.x(), c.y() - 3));
        break;
    }
    default: {  // the USB trident
        p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(c.x(), c.y() + 10), QPointF(c.x(), c.y() - 9));
        p.drawLine(QPointF(c.x(), c.y() + 4), QPointF(c.x() - 7, c.y() - 1));
        p.drawLine(QPointF(c.x() - 7, c.y() - 1), QPointF(c.x() - 7, c.y() - 4));
        p.drawLine(QPointF(c.x(), c.y() + 1), QPointF(c.x() + 7, c.y() - 4));
        p.setBrush(ink);
        p.drawEllipse(QPointF(c.x() - 7, c.y() - 5), 2, 2);
        p.drawRect(QRectF(c.x() + 5.5, c.y() - 7, 3.5, 3.5));
        p.drawEllipse(QPointF(c.x(), c.y() + 10), 2.5, 2.5);
        QPainterPath head;
        head.moveTo(c.x(), c.y() - 13);
        head.lineTo(c.x() - 3, c.y() - 8);
        head.lineTo(c.x() + 3, c.y() - 8);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.drawPath(head);
        break;
    }
    }
    return image;
}

QImage Ps2Mouse(bool left, bool right, int w, int h) {
    QImage image = NewImage(w, h, pal::kPanel);
    QPainter p(&image);
    Crisp(p);
    const QColor body(0xd8, 0xde, 0xe8);
    const QColor lit(0x30, 0xff, 0x00);
    const QColor edge(0x20, 0x24, 0x2c);
    // Body 12 x 15 from (2, 0); buttons in the top third.
    p.fillRect(QRect(3, 1, 10, 14), body);
    p.fillRect(QRect(2, 2, 12, 12), body);
    p.fillRect(QRect(3, 1, 5, 5), left ? lit : QColor(0xa0, 0xa8, 0xb4));
    p.fillRect(QRect(2, 2, 1, 4), left ? lit : QColor(0xa0, 0xa8, 0xb4));
    p.fillRect(QRect(8, 1, 5, 5), right ? lit : QColor(0xa0, 0xa8, 0xb4));
    p.fillRect(QRect(13, 2, 1, 4), right ? lit : QColor(0xa0, 0xa8, 0xb4));
    p.fillRect(QRect(2, 6, 12, 1), edge);
    p.fillRect(QRect(7, 1, 1, 6), edge);
    return image;
}

} // namespace

QImage PaintSprite(const QString& name, int w, int h) {
    if (name.startsWith(QLatin1String("HEX_")))
        return HexGlyph(name.mid(4).toInt(nullptr, 16), w, h);
    if (name == QLatin1String("SW_UP") || name == QLatin1String("SW_DOWN"))
        return Switch(name == QLatin1String("SW_UP"), w, h);
    if (name == QLatin1String("BUTTON_UP") || name == QLatin1String("BUTTON_DOWN"))
        return Key(name == QLatin1String("BUTTON_DOWN"), w, h);
    if (name.startsWith(QLatin1String("USB_"))) {
        const bool on = name.endsWith(QLatin1String("_ON"));
        const char kind = name.contains(QLatin1String("DISK")) ? 'd'
                          : name.contains(QLatin1String("MOUSE")) ? 'm'
                                                                  : 'o';
        return UsbIcon(kind, on, w, h);
    }
    if (name.startsWith(QLatin1String("PS2_MOUSE"))) {
        const QString s = name.mid(9);
        return Ps2Mouse(s.contains('L'), s.contains('R'), w, h);
    }
    return NewImage(w, h, pal::kPanel);
}

} // namespace skingen
