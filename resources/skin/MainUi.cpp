// The main window: title bar, the board picture with every device inside its
// highlight frame, the tab panel, the status and info areas, and the page well.
#include <QPainterPath>
#include <functional>
#include <map>
#include <string_view>

#include "core/devices/DeviceTable.h"
#include "resources/skin/Draw.h"
#include "resources/skin/Pictures.h"

namespace skingen {

namespace {

using DevicePainter = std::function<void(QPainter&, const QRect&)>;

// The frame's pen is 2 pixels wide and drawn inside the frame, so each device
// fills the frame less that border.
constexpr int kFrameInset = 2;

const QRect kBoard(138, 33, 351, 251);
const QRect kPageWell(204, 288, 387, 296);
const QRect kTabPanel(20, 282, 180, 222);
const QRect kStatusPanel(20, 506, 180, 82);
const QRect kGaugeSlot(30, 527, 104, 25);
const QRect kInfoStrip(206, 560, 383, 24);
const QRect kCaptionPlate(160, 4, 300, 22);
const QRect kWindowButtons(476, 15, 126, 20);

const QColor kMetal(0xb4, 0xba, 0xc4);
const QColor kMetalDark(0x6e, 0x74, 0x80);
const QColor kTrace(0x2c, 0x7a, 0x40);
const QColor kSilkText(0xd8, 0xe4, 0xd0);

void Shell(QPainter& p, const QRectF& r, const QColor& c, double radius = 2) {
    RoundedBox(p, r.adjusted(0.5, 0.5, -0.5, -0.5), radius,
               TwoTone(r.topLeft(), r.bottomLeft(), c.lighter(130), c.darker(130)), c.darker(220));
}

// The i-th of n parts in a row across `r`, a pixel apart.
QRectF Cell(const QRect& r, int n, int i) {
    const double step = r.width() / static_cast<double>(n);
    return QRectF(r.left() + i * step + 1, r.top(), step - 2, r.height());
}

void Leds(QPainter& p, const QRect& r) {
    // LEDR17..LEDR0 then LEDG8..LEDG0, left to right, as on the board.
    const int n = 27;
    const double step = r.width() / static_cast<double>(n);
    for (int i = 0; i < n; ++i) {
        const bool green = i >= 18;
        const QRectF led(r.left() + i * step + step / 2 - 2.5, r.top() + 1, 5, r.height() - 2);
        p.setPen(QPen(QColor(0x10, 0x14, 0x10), 1));
        p.setBrush(green ? QColor(0x2a, 0x7c, 0x2c) : QColor(0x8c, 0x22, 0x1c));
        p.drawRoundedRect(led, 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 70));
        p.drawRect(QRectF(led.left() + 1, led.top() + 1, 1.5, 2));
    }
}

void Seg7(QPainter& p, const QRect& r) {
    p.fillRect(r, QColor(0x10, 0x10, 0x12));
    const int n = 8;
    const double step = r.width() / static_cast<double>(n);
    const QColor seg(0x8a, 0x1c, 0x18);
    p.setPen(QPen(seg, 1.6, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < n; ++i) {
        const double x0 = r.left() + i * step + 4.5, x1 = x0 + step - 8;
        const double y0 = r.top() + 3, ym = r.center().y() + 0.5, y1 = r.bottom() - 3;
        p.drawLine(QPointF(x0 + 1, y0), QPointF(x1 - 1, y0));
        p.drawLine(QPointF(x0 + 0.5, ym), QPointF(x1 - 0.5, ym));
        p.drawLine(QPointF(x0 + 1, y1), QPointF(x1 - 1, y1));
        p.drawLine(QPointF(x0, y0 + 1), QPointF(x0, y1 - 1));
        p.drawLine(QPointF(x1, y0 + 1), QPointF(x1, y1 - 1));
    }
}

void Switches(QPainter& p, const QRect& r) {
    for (int i = 0; i < 18; ++i) {
        const QRectF body = Cell(r, 18, i);
        Shell(p, body, QColor(0x2a, 0x2c, 0x32), 1);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xe8, 0xea, 0xee));
        p.drawRect(QRectF(body.left() + 2, body.bottom() - 8, body.width() - 4, 6));
    }
}

void Keys(QPainter& p, const QRect& r) {
    for (int i = 0; i < 4; ++i) {
        const QRectF base = Cell(r, 4, i);
        Shell(p, base, QColor(0x30, 0x32, 0x38), 2);
        const double d = std::min(base.width(), base.height()) - 6;
        QRadialGradient g(base.center() - QPointF(1.5, 1.5), d);
        g.setColorAt(0, QColor(0x78, 0xa0, 0xe0));
        g.setColorAt(1, QColor(0x24, 0x40, 0x78));
        p.setPen(QPen(QColor(0x10, 0x18, 0x28), 1));
        p.setBrush(g);
        p.drawEllipse(QRectF(base.center().x() - d / 2, base.center().y() - d / 2, d, d));
    }
}

void ChipPainter(QPainter& p, const QRect& r, const QString& label, const QString& pins) {
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect body = r.adjusted(pins.contains('l') ? 2 : 0, pins.contains('t') ? 2 : 0,
                                  pins.contains('r') ? -2 : 0, pins.contains('b') ? -2 : 0);
    Chip(p, body, label, pins);
    p.setRenderHint(QPainter::Antialiasing);
}

void Usb(QPainter& p, const QRect& r) {
    // A double USB-A host port: metal shell, two tongues.
    Shell(p, r, kMetal, 2);
    for (int i = 0; i < 2; ++i) {
        const QRectF port(r.left() + 4, r.top() + 3 + i * (r.height() / 2.0), r.width() - 8,
                          r.height() / 2.0 - 5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1a, 0x1c, 0x20));
        p.drawRect(port);
        p.setBrush(QColor(0xf0, 0xf0, 0xf0));
        p.drawRect(QRectF(port.left() + 3, port.top() + 2, port.width() - 6, port.height() / 2.5));
    }
}

void Audio(QPainter& p, const QRect& r) {
    Shell(p, r, QColor(0x22, 0x24, 0x2a), 2);
    const QColor rings[] = {QColor(0xe0, 0x70, 0xb0), QColor(0x70, 0xc8, 0x50), QColor(0x50, 0x90, 0xe0)};
    const double step = r.width() / 3.0;
    for (int i = 0; i < 3; ++i) {
        const QPointF c(r.left() + step * i + step / 2, r.center().y() + 2);
        p.setPen(QPen(rings[i], 2.2));
        p.setBrush(QColor(0x08, 0x08, 0x0a));
        p.drawEllipse(c, step / 2 - 3, step / 2 - 3);
    }
}

// A D-sub connector: trapezoid shell with `rows` of pins.
void DSub(QPainter& p, const QRect& r, const QColor& housing, const std::vector<int>& rows) {
    Shell(p, r, housing, 2);
    const QRectF shell = QRectF(r).adjusted(5, 7, -5, -7);
    QPainterPath trap;
    trap.moveTo(shell.left(), shell.top());
    trap.lineTo(shell.right(), shell.top());
    trap.lineTo(shell.right() - 4, shell.bottom());
    trap.lineTo(shell.left() + 4, shell.bottom());
    trap.closeSubpath();
    p.setPen(QPen(kMetalDark, 1));
    p.setBrush(kMetal);
    p.drawPath(trap);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x22, 0x26));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const double y = shell.top() + (row + 1) * shell.height() / (rows.size() + 1);
        const double inset = 5 + row * 2;
        const double span = shell.width() - 2 * inset;
        for (int i = 0; i < rows[row]; ++i) {
            const double x = shell.left() + inset + (rows[row] == 1 ? span / 2 : span * i / (rows[row] - 1));
            p.drawEllipse(QPointF(x, y), 1.3, 1.3);
        }
    }
    // The screw posts either side.
    p.setBrush(kMetal);
    p.drawEllipse(QPointF(r.left() + 2.5, r.center().y()), 1.6, 1.6);
    p.drawEllipse(QPointF(r.right() - 1.5, r.center().y()), 1.6, 1.6);
}

void Ps2(QPainter& p, const QRect& r) {
    Shell(p, r, QColor(0x2a, 0x2c, 0x32), 2);
    const QPointF c = QRectF(r).center();
    const double rad = std::min(r.width(), r.height()) / 2.0 - 1.5;
    p.setPen(QPen(QColor(0x9a, 0x5c, 0xd0), 2));
    p.setBrush(QColor(0x14, 0x14, 0x18));
    p.drawEllipse(c, rad, rad);
    p.setPen(Qt::NoPen);
    p.setBrush(kMetal);
    for (int i = 0; i < 6; ++i) {
        const double a = M_PI * (0.15 + i * 0.14);
        p.drawEllipse(c + QPointF(std::cos(a) * rad * 0.55, -std::sin(a) * rad * 0.55 + 1.5), 0.9, 0.9);
    }
    p.drawRect(QRectF(c.x() - 1.5, c.y() + rad * 0.2, 3, 2));
}

void Ir(QPainter& p, const QRect& r) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x18, 0x18, 0x1c));
    p.drawRoundedRect(QRectF(r).adjusted(0, 3, 0, 0), 1.5, 1.5);
    QRadialGradient g(QPointF(r.center().x() - 1, r.top() + 4), 5);
    g.setColorAt(0, QColor(0x50, 0x50, 0x60));
    g.setColorAt(1, QColor(0x10, 0x10, 0x14));
    p.setBrush(g);
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), r.width()));
    p.setBrush(kMetal);
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(r.left() + 1 + i * (r.width() - 2) / 3.0, r.bottom() - 2, 1, 3));
}

// A long fine-pitch connector, lengthwise top to bottom.
void Hsmc(QPainter& p, const QRect& r) {
    Shell(p, r, QColor(0x1e, 0x20, 0x24), 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0a, 0x0a, 0x0c));
    p.drawRect(QRectF(r.center().x() - 1.5, r.top() + 3, 3, r.height() - 6));
    p.setBrush(pal::kCopper);
    for (int y = r.top() + 4; y < r.bottom() - 3; y += 3) {
        p.drawRect(QRectF(r.left() + 2, y, 3, 1.2));
        p.drawRect(QRectF(r.right() - 4, y, 3, 1.2));
    }
}

void PinHeader(QPainter& p, const QRect& r) {
    Shell(p, r, QColor(0x16, 0x16, 0x18), 1);
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 20; ++row) {
        const double y = r.top() + 3 + row * (r.height() - 6) / 19.0;
        for (int col = 0; col < 2; ++col) {
            const double x = r.left() + r.width() * (col == 0 ? 0.3 : 0.7);
            p.setBrush(QColor(0xe0, 0xb8, 0x50));
            p.drawRect(QRectF(x - 1, y - 1, 2, 2));
        }
    }
}

void SdSlot(QPainter& p, const QRect& r) {
    // A card half inserted from the board's edge, under its metal cover.
    p.setPen(QPen(QColor(0x30, 0x38, 0x5a), 1));
    p.setBrush(QColor(0x3c, 0x52, 0x9c));
    QPainterPath card;
    const QRectF c(r.left(), r.top() + 5, r.width() * 0.5, r.height() - 10);
    card.moveTo(c.left() + 4, c.top());
    card.lineTo(c.right(), c.top());
    card.lineTo(c.right(), c.bottom());
    card.lineTo(c.left(), c.bottom());
    card.lineTo(c.left(), c.top() + 4);
    card.closeSubpath();
    p.drawPath(card);
    Shell(p, QRectF(r.left() + r.width() * 0.35, r.top(), r.width() * 0.65, r.height()), kMetal, 2);
    p.setPen(QPen(kMetalDark, 1));
    for (int i = 1; i < 4; ++i) {
        const double y = r.top() + i * r.height() / 4.0;
        p.drawLine(QPointF(r.left() + r.width() * 0.45, y), QPointF(r.right() - 3, y));
    }
    Text(p, r.adjusted(0, 0, 0, 0), QStringLiteral("SD"), 8, QColor(0x30, 0x34, 0x3c),
         Qt::AlignRight | Qt::AlignVCenter, true);
}

void Lcd(QPainter& p, const QRect& r) {
    Shell(p, r, QColor(0x1a, 0x3a, 0x22), 2);
    const QRectF bezel = QRectF(r).adjusted(4, 4, -4, -4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0c, 0x0e, 0x10));
    p.drawRect(bezel);
    const QRectF glass = bezel.adjusted(3, 3, -3, -3);
    QLinearGradient g(glass.topLeft(), glass.bottomLeft());
    g.setColorAt(0, QColor(0x9c, 0xc4, 0x3c));
    g.setColorAt(1, QColor(0x74, 0xa0, 0x28));
    p.setBrush(g);
    p.drawRect(glass);
    const QFont font = GenFont(10, true, QStringLiteral("Liberation Mono"));
    p.setFont(font);
    p.setPen(QColor(0x1c, 0x2c, 0x10));
    const QRectF l0(glass.left() + 3, glass.top(), glass.width() - 4, glass.height() / 2);
    p.drawText(l0, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KBR-370"));
    p.drawText(l0.translated(0, glass.height() / 2), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Control Panel"));
}

QRect FrameOf(const kbr::devices::TDeviceRow& row) {
    return QRect(row.frame.x, row.frame.y, row.frame.width, row.frame.height);
}

// How each device is drawn, by its name in the device table, which says where
// it lies and in which order the devices are drawn. One without a painter
// here is drawn with the board's extras.
const std::map<std::string_view, DevicePainter>& Painters() {
    static const std::map<std::string_view, DevicePainter> painters = {
        {"SDCARD", SdSlot},
        {"LED", Leds},
        {"SEG7", Seg7},
        {"SW", Switches},
        {"KEY", Keys},
        {"SRAM", [](QPainter& p, const QRect& r) { ChipPainter(p, r, "SRAM", "tb"); }},
        {"EEPROM", [](QPainter& p, const QRect& r) { ChipPainter(p, r, "", "lr"); }},
        {"SDRAM", [](QPainter& p, const QRect& r) { ChipPainter(p, r, "SDRAM", "lr"); }},
        {"FLASH", [](QPainter& p, const QRect& r) { ChipPainter(p, r, "FLASH", "tb"); }},
        {"USB", Usb},
        {"LCD", Lcd},
        {"PS2", Ps2},
        {"RS232", [](QPainter& p, const QRect& r) { DSub(p, r, QColor(0x40, 0x44, 0x4c), {5, 4}); }},
        {"IR", Ir},
        {"HSMC", Hsmc},
        {"VGA", [](QPainter& p, const QRect& r) { DSub(p, r, QColor(0x28, 0x48, 0x8c), {5, 5, 5}); }},
        {"AUDIO", Audio},
        {"GPIO", PinHeader},
    };
    return painters;
}

// Silk-screen names, placed clear of the frames.
struct Silk {
    const char* text;
    QPoint at;
};
const Silk kSilk[] = {
    {"USB", {186, 68}},    {"AUDIO", {234, 71}},    {"VGA", {315, 70}},    {"RS232", {427, 70}},
    {"PS/2", {456, 89}},   {"HSMC", {455, 206}},    {"GPIO", {424, 199}},  {"IR", {478, 264}},
    {"LCD", {255, 154}},
    {"SD", {145, 166}},    {"EEPROM", {358, 137}},
};

void Traces(QPainter& p) {
    // A few buses from the FPGA to its memories and connectors; fixed, so the
    // picture is the same at every build.
    p.setPen(QPen(kTrace, 1));
    p.setBrush(Qt::NoBrush);
    const QPoint fpga(328, 116);
    const QPoint ends[] = {{309, 163}, {354, 206}, {398, 207}, {373, 118}, {436, 105}, {469, 104},
                           {324, 67},  {440, 67},  {201, 65},  {251, 68},  {470, 73},  {223, 161}};
    for (int k = 0; k < 3; ++k)
        for (const QPoint& e : ends) {
            const int o = (k - 1) * 3;
            QPainterPath path;
            path.moveTo(fpga + QPoint(o, o));
            path.lineTo(QPoint(e.x() + o, fpga.y() + o));
            path.lineTo(QPoint(e.x() + o, e.y()));
            p.drawPath(path);
        }
    p.setPen(Qt::NoPen);
    p.setBrush(pal::kCopper);
    const QPoint vias[] = {{160, 120}, {176, 132}, {276, 96}, {284, 150}, {396, 150}, {410, 182},
                           {448, 230}, {198, 150}, {360, 170}, {282, 232}};
    for (const QPoint& v : vias)
        p.drawEllipse(QPointF(v), 1.6, 1.6);
}

void Fpga(QPainter& p) {
    const QRectF r(296, 82, 64, 64);
    DropShadow(p, r.translated(2, 2), 3);
    RoundedBox(
        p, r, 3,
        TwoTone(r.topLeft(), r.bottomRight(), QColor(0x3a, 0x3e, 0x46), QColor(0x1c, 0x1e, 0x22)),
        QColor(0x5a, 0x60, 0x6a));
    p.setPen(QPen(QColor(0x4a, 0x50, 0x58), 1));
    p.drawRoundedRect(r.adjusted(5, 5, -5, -5), 2, 2);
    Text(p, r.toRect().adjusted(0, 12, 0, -30), QStringLiteral("FPGA"), 12, QColor(0xc8, 0xcc, 0xd4),
         Qt::AlignCenter, true);
    Text(p, r.toRect().adjusted(0, 30, 0, -12), QStringLiteral("EP4CE115"), 8, QColor(0x9a, 0xa0, 0xaa));
    p.setBrush(QColor(0x7a, 0x80, 0x8a));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(r.left() + 7, r.top() + 7), 1.5, 1.5);
}

void BoardExtras(QPainter& p) {
    const QRect blasterPort = FrameOf(kbr::devices::DeviceRow("BLASTER"));
    // Power input and the cable port on the left edge, a crystal by the FPGA,
    // mounting holes in the corners.
    Shell(p, QRectF(140, 38, 30, 22), QColor(0x2a, 0x2c, 0x32), 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0a, 0x0a, 0x0c));
    p.drawEllipse(QPointF(155, 49), 6, 6);
    p.setBrush(kMetal);
    p.drawEllipse(QPointF(155, 49), 2, 2);
    Text(p, QRect(140, 60, 30, 10), QStringLiteral("DC 12V"), 6, kSilkText);
    Shell(p, QRectF(blasterPort), kMetal, 1.5);
    p.setBrush(QColor(0x16, 0x18, 0x1c));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(blasterPort).adjusted(3, 4, -3, -4));
    Text(p, QRect(160, 78, 60, 14), QStringLiteral("BLASTER"), 6, kSilkText, Qt::AlignLeft | Qt::AlignVCenter);
    Shell(p, QRectF(372, 86, 14, 8), kMetal, 3);
    for (QPointF h : {QPointF(147, 42), QPointF(480, 42), QPointF(147, 275), QPointF(480, 275)}) {
        if (h.x() < 150 && h.y() < 100)
            continue;  // the power jack sits there
        p.setPen(QPen(pal::kCopper, 2));
        p.setBrush(QColor(0x0e, 0x13, 0x1e));
        p.drawEllipse(h, 3.5, 3.5);
    }
    // The product logo in the silk screen.
    Text(p, QRect(176, 96, 110, 26), QStringLiteral("KBR-370"), 20, QColor(0xe8, 0xf0, 0xe0),
         Qt::AlignLeft | Qt::AlignVCenter, true);
    Text(p, QRect(178, 122, 110, 12), QStringLiteral("FPGA DEVELOPMENT BOARD"), 7, kSilkText,
         Qt::AlignLeft | Qt::AlignVCenter);
}

void Board(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawRoundedRect(QRectF(kBoard).translated(3, 3), 9, 9);
    QLinearGradient g(kBoard.topLeft(), kBoard.bottomRight());
    g.setColorAt(0, QColor(0x23, 0x6c, 0x36));
    g.setColorAt(1, QColor(0x16, 0x4c, 0x24));
    p.setPen(QPen(QColor(0x0c, 0x30, 0x16), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(kBoard).adjusted(0.5, 0.5, -0.5, -0.5), 9, 9);
    p.setPen(QPen(QColor(0x3a, 0x8a, 0x4c), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(kBoard).adjusted(2.5, 2.5, -2.5, -2.5), 7, 7);
    Traces(p);
    BoardExtras(p);
    Fpga(p);
    for (const kbr::devices::TDeviceRow& row : kbr::devices::kDeviceTable) {
        const auto painter = Painters().find(row.name);
        if (painter == Painters().end())
            continue;
        const QRect r = FrameOf(row).adjusted(kFrameInset, kFrameInset, -kFrameInset, -kFrameInset);
        p.save();
        painter->second(p, r);
        p.restore();
    }
    for (const Silk& s : kSilk)
        Text(p, QRect(s.at, QSize(200, 9)), QString::fromLatin1(s.text), 6, kSilkText,
             Qt::AlignLeft | Qt::AlignTop);
}

void Chrome(QPainter& p, int w, int h) {
    VerticalGradient(p, QRect(0, 0, w, h), QColor(0x1c, 0x24, 0x36), QColor(0x0c, 0x11, 0x1b));
    // Title band with an accent line under it.
    VerticalGradient(p, QRect(0, 0, w, 40), QColor(0x2a, 0x33, 0x46), QColor(0x18, 0x1f, 0x2e));
    p.fillRect(QRect(0, 40, w, 1), QColor(0x00, 0x7a, 0x96));
    p.fillRect(QRect(0, 41, w, 1), QColor(0x08, 0x0c, 0x14));
    p.setPen(QColor(0x5a, 0x68, 0x84));
    p.drawRect(0, 0, w - 1, h - 1);
    p.setPen(QColor(0x04, 0x06, 0x0a));
    p.drawRect(1, 1, w - 3, h - 3);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x0a, 0x0e, 0x16), 1));
    p.setBrush(pal::kPlate);
    p.drawRoundedRect(QRectF(kCaptionPlate).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.drawRoundedRect(QRectF(kWindowButtons).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    // Logo at the left of the title band.
    LogoMark(p, QRectF(12, 9, 22, 22), 4, 5, 8, QColor(0x10, 0x16, 0x22));
    Text(p, QRect(40, 7, 110, 16), QStringLiteral("KBR-370"), 14, QColor(0xf0, 0xf4, 0xfa),
         Qt::AlignLeft | Qt::AlignVCenter, true);
    Text(p, QRect(40, 23, 110, 10), QStringLiteral("CONTROL PANEL"), 7, QColor(0x7a, 0xc8, 0xe0),
         Qt::AlignLeft | Qt::AlignVCenter);
}

void SideDecor(QPainter& p) {
    // Left: a short legend of the board; right: a column of port markers. Both
    // are quiet so the board stays the subject.
    const QColor line(0x2a, 0x36, 0x4c);
    const QColor text(0x6c, 0x7c, 0x98);
    p.setPen(QPen(line, 1));
    p.drawLine(18, 56, 126, 56);
    Text(p, QRect(18, 44, 108, 12), QStringLiteral("BOARD"), 8, QColor(0x00, 0xb4, 0xd8),
         Qt::AlignLeft | Qt::AlignVCenter, true);
    const char* rows[] = {"FPGA  EP3C120/EP4CE115", "SDRAM 128 MB", "SRAM  2 MB", "FLASH 8 MB",
                          "EEPROM 4 KB", "LED   27", "HEX   8 digits", "SW    18", "KEY   4"};
    int y = 62;
    for (const char* r : rows) {
        Text(p, QRect(18, y, 118, 12), QString::fromLatin1(r), 8, text, Qt::AlignLeft | Qt::AlignVCenter);
        y += 15;
    }
    p.drawLine(18, y + 4, 126, y + 4);

    p.setPen(QPen(line, 1));
    p.drawLine(500, 56, 606, 56);
    Text(p, QRect(500, 44, 106, 12), QStringLiteral("GUIDE"), 8, QColor(0x00, 0xb4, 0xd8),
         Qt::AlignLeft | Qt::AlignVCenter, true);
    const char* hints[] = {"A tab opens the page\nof one device.",
                           "A yellow frame marks\nthat device on the\nboard.",
                           "Drag the window from\nanywhere outside its\nbuttons."};
    y = 62;
    for (const char* hint : hints) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x00, 0x7a, 0x96));
        p.drawRect(QRectF(500, y + 4, 3, 3));
        const QString t = QString::fromLatin1(hint);
        const int lines = t.count('\n') + 1;
        Text(p, QRect(508, y, 100, lines * 12), t, 8, text, Qt::AlignLeft | Qt::AlignTop);
        y += lines * 12 + 8;
    }
}

void LowerPanels(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    for (const QRect& r : {kTabPanel, kStatusPanel}) {
        p.setPen(QPen(QColor(0x30, 0x3c, 0x56), 1));
        p.setBrush(pal::kTabPanel);
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    }
    // Status readout behind the status label and the progress gauge.
    p.setPen(QPen(QColor(0x04, 0x06, 0x0a), 1));
    p.setBrush(QColor(0x06, 0x0a, 0x10));
    p.drawRoundedRect(QRectF(kGaugeSlot).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    Text(p, QRect(32, 512, 90, 12), QStringLiteral("STATUS"), 8, QColor(0x6c, 0x7c, 0x98),
         Qt::AlignLeft | Qt::AlignVCenter, true);
    // The page well and the info line beneath the pages.
    Bevel(p, kPageWell.adjusted(-2, -2, 2, 2), QColor(0x0a, 0x0e, 0x16), true);
    p.fillRect(kPageWell, QColor(0x0a, 0x0e, 0x16));
    p.fillRect(kInfoStrip, QColor(0x06, 0x09, 0x0f));
    p.fillRect(QRect(kInfoStrip.left(), kInfoStrip.top(), kInfoStrip.width(), 1), QColor(0x22, 0x2c, 0x40));
}

} // namespace

QRect BoardArea() {
    return kBoard;
}

std::vector<std::pair<QString, QRect>> BoardDeviceFrames() {
    std::vector<std::pair<QString, QRect>> frames;
    for (const kbr::devices::TDeviceRow& row : kbr::devices::kDeviceTable)
        frames.emplace_back(QString::fromLatin1(row.name), FrameOf(row));
    return frames;
}

QImage PaintMainUi(int w, int h) {
    QImage image = NewImage(w, h, pal::kNavy);
    QPainter p(&image);
    Chrome(p, w, h);
    SideDecor(p);
    LowerPanels(p);
    Board(p);
    return image;
}

} // namespace skingen
