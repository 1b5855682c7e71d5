// Button strips: four faces stacked top to bottom (normal, disabled, hot,
// pressed). Captions are the program's to draw; the strips carry only shapes
// and icons.
#include <QFontMetrics>
#include <QPainterPath>
#include <functional>

#include "resources/skin/Draw.h"
#include "resources/skin/Pictures.h"

namespace skingen {

namespace {

enum Face { kNormal = 0, kDisabled = 1, kHot = 2, kPressed = 3 };

using FacePainter = std::function<void(QPainter&, const QRect&, Face)>;

struct FaceColours {
    QColor top, bottom, edge;
};

FaceColours ColoursOf(Face f) {
    switch (f) {
    case kDisabled:
        return {QColor(0x34, 0x37, 0x3e), QColor(0x2a, 0x2c, 0x32), QColor(0x4a, 0x4d, 0x55)};
    case kHot:
        return {QColor(0x3c, 0x5a, 0x80), QColor(0x22, 0x36, 0x52), pal::kAccentHot};
    case kPressed:
        return {QColor(0x10, 0x1a, 0x2a), QColor(0x1c, 0x2c, 0x44), pal::kAccent};
    case kNormal:
        break;
    }
    return {QColor(0x3a, 0x44, 0x56), QColor(0x1e, 0x25, 0x32), QColor(0x5c, 0x6c, 0x86)};
}

// The body of most faces: shaded from top to bottom, with a fine edge.
void Slab(QPainter& p, const QRect& r, qreal radius, const QColor& top, const QColor& bottom,
          const QColor& edge) {
    p.setRenderHint(QPainter::Antialiasing);
    RoundedBox(p, QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), radius,
               TwoTone(r.topLeft(), r.bottomLeft(), top, bottom), edge);
}

// A rounded pill face, the ordinary push button of pages and dialogs.
void PillFace(QPainter& p, const QRect& r, Face f) {
    const FaceColours c = ColoursOf(f);
    Slab(p, r, 4, c.top, c.bottom, c.edge);
    if (f != kPressed && f != kDisabled) {
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        p.drawLine(QPointF(r.left() + 4, r.top() + 1.5), QPointF(r.right() - 4, r.top() + 1.5));
    }
}

void ArrowFace(QPainter& p, const QRect& r, Face f, bool right) {
    PillFace(p, r, f);
    const QColor ink = f == kDisabled ? QColor(0x70, 0x74, 0x7c)
                       : f == kHot    ? QColor(0xff, 0xff, 0xff)
                       : f == kPressed ? pal::kAccentHot
                                       : QColor(0xd8, 0xe0, 0xea);
    const QPointF c = QRectF(r).center();
    QPainterPath tri;
    const double dx = right ? 3 : -3;
    tri.moveTo(c.x() + dx, c.y());
    tri.lineTo(c.x() - dx, c.y() - 4);
    tri.lineTo(c.x() - dx, c.y() + 4);
    tri.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(tri);
}

// A page tab: a slab with a light rail on its left, lit when hot or pressed.
void TabFace(QPainter& p, const QRect& r, Face f) {
    const FaceColours c = ColoursOf(f);
    Slab(p, r, 3, c.top, c.bottom, c.edge);
    const QColor rail = f == kDisabled ? QColor(0x44, 0x46, 0x4c)
                        : f == kNormal ? QColor(0x2c, 0x6e, 0x84)
                                       : pal::kAccentHot;
    p.setPen(Qt::NoPen);
    p.setBrush(rail);
    p.drawRoundedRect(QRectF(r.left() + 3, r.top() + 5, 3, r.height() - 10), 1.5, 1.5);
}

// The small window buttons of the title bar, each with its own icon.
void WindowFace(QPainter& p, const QRect& r, Face f, char icon) {
    const FaceColours c = ColoursOf(f);
    QColor top = c.top, bottom = c.bottom;
    if (icon == 'x' && (f == kHot || f == kPressed)) {
        top = f == kHot ? QColor(0xd0, 0x3a, 0x3a) : QColor(0x80, 0x1c, 0x1c);
        bottom = f == kHot ? QColor(0x98, 0x20, 0x20) : QColor(0xa0, 0x28, 0x28);
    }
    Slab(p, r, 3, top, bottom, c.edge);
    const QColor ink = f == kDisabled ? QColor(0x70, 0x74, 0x7c) : QColor(0xf0, 0xf4, 0xf8);
    const QPointF m = QRectF(r).center();
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    switch (icon) {
    case 'x':
        p.drawLine(QPointF(m.x() - 3, m.y() - 3), QPointF(m.x() + 3, m.y() + 3));
        p.drawLine(QPointF(m.x() - 3, m.y() + 3), QPointF(m.x() + 3, m.y() - 3));
        break;
    case '-':
        p.drawLine(QPointF(m.x() - 4, m.y() + 2), QPointF(m.x() + 4, m.y() + 2));
        break;
    default:
        p.setFont(GenFont(10, true));
        p.setPen(ink);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("i"));
        break;
    }
}

// The connect button: a plug, out of its socket (connect) or in it
// (disconnect), with the action written below.
void ConnectFace(QPainter& p, const QRect& r, Face f, bool connected) {
    const FaceColours c = ColoursOf(f);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QRectF(r).center() - QPointF(0, 6), r.width() * 0.7);
    g.setColorAt(0, c.top.lighter(115));
    g.setColorAt(1, c.bottom);
    p.setPen(QPen(c.edge, 1.2));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(r).adjusted(1, 1, -1, -1), 8, 8);

    const bool off = f == kDisabled;
    const QColor metal = off ? QColor(0x68, 0x6c, 0x74) : QColor(0xd6, 0xdc, 0xe4);
    const QColor glow = off ? QColor(0x5a, 0x5e, 0x66)
                        : connected ? QColor(0xff, 0x6a, 0x4a)
                                    : QColor(0x30, 0xff, 0x00);
    const double cx = r.center().x() + 0.5;
    const double top = r.top() + 9;
    const double gap = connected ? 0 : 5;
    // Socket (upper) and plug (lower) halves.
    p.setPen(Qt::NoPen);
    p.setBrush(metal.darker(140));
    p.drawRoundedRect(QRectF(cx - 9, top, 18, 9), 2, 2);
    p.setBrush(metal);
    p.drawRect(QRectF(cx - 5, top + 9 + gap - 5, 2.5, 5));
    p.drawRect(QRectF(cx + 2.5, top + 9 + gap - 5, 2.5, 5));
    p.drawRoundedRect(QRectF(cx - 8, top + 9 + gap, 16, 10), 2, 2);
    p.setBrush(glow);
    p.drawRect(QRectF(cx - 1.5, top + 19 + gap, 3, 6 - gap));
    p.setPen(QPen(glow, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(cx - 2, top + 12 + gap, 4, 4));
    const QString label = connected ? QStringLiteral("DISCONNECT") : QStringLiteral("CONNECT");
    // The largest size that fits the face, so both words read alike.
    int px = 9;
    while (px > 6 && QFontMetrics(GenFont(px, true)).horizontalAdvance(label) > r.width() - 6)
        --px;
    p.setFont(GenFont(px, true));
    p.setPen(off ? QColor(0x80, 0x84, 0x8c) : f == kPressed ? pal::kAccentHot : QColor(0xf0, 0xf4, 0xf8));
    p.drawText(QRect(r.left(), r.bottom() - 17, r.width(), 14), Qt::AlignCenter, label);
}

// An LED key: a round lens, lit or dark, on a small cap.
void LedFace(QPainter& p, const QRect& r, Face f, bool green, bool lit) {
    p.setRenderHint(QPainter::Antialiasing);
    const QColor capTop = f == kHot ? QColor(0x4a, 0x56, 0x6a)
                          : f == kPressed ? QColor(0x18, 0x20, 0x2c)
                          : f == kDisabled ? QColor(0x2c, 0x2e, 0x34)
                                           : QColor(0x34, 0x3c, 0x4a);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, capTop);
    g.setColorAt(1, capTop.darker(160));
    p.setPen(QPen(f == kHot ? pal::kAccentHot : QColor(0x10, 0x14, 0x1c), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);

    QColor on = green ? QColor(0x3c, 0xff, 0x48) : QColor(0xff, 0x2c, 0x24);
    QColor dark = green ? QColor(0x12, 0x3a, 0x16) : QColor(0x44, 0x10, 0x10);
    if (f == kDisabled) {
        on = on.darker(250);
        dark = dark.darker(150);
    }
    const QRectF lens(r.left() + 4, r.top() + 9, r.width() - 8, r.width() - 8);
    if (lit && f != kDisabled) {
        QRadialGradient halo(lens.center(), lens.width());
        halo.setColorAt(0, QColor(on.red(), on.green(), on.blue(), 150));
        halo.setColorAt(1, QColor(on.red(), on.green(), on.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(lens.adjusted(-5, -5, 5, 5));
    }
    QRadialGradient body(lens.center() - QPointF(2, 2), lens.width() * 0.7);
    body.setColorAt(0, lit ? on.lighter(160) : dark.lighter(160));
    body.setColorAt(1, lit ? on : dark);
    p.setPen(QPen(QColor(0, 0, 0, 160), 1));
    p.setBrush(body);
    p.drawEllipse(lens);
    p.setPen(QPen(QColor(0x90, 0x98, 0xa8), 1));
    p.drawLine(QPointF(r.left() + 6, r.bottom() - 6.5), QPointF(r.right() - 6, r.bottom() - 6.5));
}

FacePainter PainterFor(const QString& name) {
    if (name == QLatin1String("LEFT_BTN"))
        return [](QPainter& p, const QRect& r, Face f) { ArrowFace(p, r, f, false); };
    if (name == QLatin1String("RIGHT_BTN"))
        return [](QPainter& p, const QRect& r, Face f) { ArrowFace(p, r, f, true); };
    if (name == QLatin1String("TAB_BUTTON"))
        return TabFace;
    if (name == QLatin1String("CLOSE_BTN"))
        return [](QPainter& p, const QRect& r, Face f) { WindowFace(p, r, f, 'x'); };
    if (name == QLatin1String("MINI_BTN"))
        return [](QPainter& p, const QRect& r, Face f) { WindowFace(p, r, f, '-'); };
    if (name == QLatin1String("ABOUT_BTN"))
        return [](QPainter& p, const QRect& r, Face f) { WindowFace(p, r, f, 'i'); };
    if (name == QLatin1String("CONNECT_BTN"))
        return [](QPainter& p, const QRect& r, Face f) { ConnectFace(p, r, f, false); };
    if (name == QLatin1String("DISCONNECT_BTN"))
        return [](QPainter& p, const QRect& r, Face f) { ConnectFace(p, r, f, true); };
    if (name.startsWith(QLatin1String("LED"))) {
        const bool green = name.startsWith(QLatin1String("LEDG"));
        const bool lit = name.contains(QLatin1String("_LIGHT"));
        return [green, lit](QPainter& p, const QRect& r, Face f) { LedFace(p, r, f, green, lit); };
    }
    return PillFace;
}

// The colour of the panel a strip's buttons sit on.
QColor GroundOf(const QString& name) {
    if (name == QLatin1String("TAB_BUTTON"))
        return pal::kTabPanel;
    if (name == QLatin1String("CONNECT_BTN") || name == QLatin1String("DISCONNECT_BTN"))
        return pal::kTabPanel;
    if (name == QLatin1String("CLOSE_BTN") || name == QLatin1String("MINI_BTN") ||
        name == QLatin1String("ABOUT_BTN"))
        return pal::kPlate;
    return pal::kPanel;
}

} // namespace

QImage PaintButtonStrip(const QString& name, int w, int h) {
    // Faces are drawn on the colour of the panels they sit on, so their
    // rounded corners blend in.
    QImage image = NewImage(w, h, GroundOf(name));
    const FacePainter paint = PainterFor(name);
    const int face = h / 4;
    for (int f = 0; f < 4; ++f) {
        QPainter p(&image);
        p.setClipRect(QRect(0, f * face, w, face));
        paint(p, QRect(0, f * face, w, face), static_cast<Face>(f));
    }
    return image;
}

} // namespace skingen
