// Page and dialog backgrounds: quiet dark panels that keep white, yellow and
// green texts and standard controls legible. Panels lie where each page puts
// a group of controls; pages show only the top 276 rows.
#include <QPainterPath>
#include <functional>
#include <map>

#include "resources/skin/Draw.h"
#include "resources/skin/Pictures.h"

namespace skingen {

namespace {

constexpr int kShownHeight = 276;

void PageGround(QPainter& p, int w, int h) {
    p.fillRect(QRect(0, 0, w, h), pal::kPageGround);
    p.setPen(QColor(0x26, 0x31, 0x48));
    p.drawRect(0, 0, w - 1, kShownHeight - 1);
}

// One panel over the whole page, for pages whose controls spread everywhere.
void WholePanel(QPainter& p, int w) {
    GroupPanel(p, QRect(6, 6, w - 12, kShownHeight - 12));
}

void Tab(QPainter& p, int w, int) {
    WholePanel(p, w);
}

void Switches(QPainter& p, int w, int) {
    GroupPanel(p, QRect(10, 8, w - 20, 78));     // "Keys" and the four keys
    GroupPanel(p, QRect(10, 90, w - 20, 176));   // "Switches" and both rows
}

void Memory(QPainter& p, int w, int) {
    WholePanel(p, w);
    // A small memory chip in the top-right corner, clear of the controls.
    Chip(p, QRect(w - 40, 14, 24, 14), QString(), QStringLiteral("tb"));
}

void SdCard(QPainter& p, int w, int) {
    GroupPanel(p, QRect(10, 4, w - 20, 110));    // Card Identification
    GroupPanel(p, QRect(10, 114, w - 20, 106));  // Card Specific Data
    GroupPanel(p, QRect(10, 220, w - 20, 50));   // File System and Read
    // An SD card, right of the CID text.
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    const QRectF c(w - 58, 22, 36, 46);
    card.moveTo(c.left(), c.top());
    card.lineTo(c.right() - 9, c.top());
    card.lineTo(c.right(), c.top() + 9);
    card.lineTo(c.right(), c.bottom());
    card.lineTo(c.left(), c.bottom());
    card.closeSubpath();
    p.setPen(QPen(QColor(0x4a, 0x5c, 0x88), 1));
    p.setBrush(QColor(0x24, 0x30, 0x4c));
    p.drawPath(card);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xb0, 0x90, 0x40));
    for (int i = 0; i < 5; ++i)
        p.drawRect(QRectF(c.left() + 4 + i * 5, c.top() + 3, 3, 7));
    Text(p, c.toRect().adjusted(0, 16, 0, 0), QStringLiteral("SD"), 12, QColor(0x7a, 0x8c, 0xb4),
         Qt::AlignCenter, true);
}

void Hsmc(QPainter& p, int w, int) {
    GroupPanel(p, QRect(12, 14, 272, 226));         // caption and installation texts
    GroupPanel(p, QRect(288, 14, w - 298, 204));    // the adapter picture
    GroupPanel(p, QRect(288, 224, w - 298, 46));    // Verify and the result
    // The connector with the loopback adapter plugged in.
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF board(304, 24, 48, 170);
    p.setPen(QPen(QColor(0x2c, 0x54, 0x8c), 1));
    p.setBrush(QColor(0x1c, 0x3a, 0x66));
    p.drawRoundedRect(board, 4, 4);
    const QRectF conn(322, 32, 12, 156);
    p.setPen(QPen(QColor(0x08, 0x08, 0x0a), 1));
    p.setBrush(QColor(0x20, 0x22, 0x26));
    p.drawRect(conn);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::kCopper);
    for (double y = conn.top() + 3; y < conn.bottom() - 2; y += 4) {
        p.drawRect(QRectF(conn.left() + 2, y, 3, 1.5));
        p.drawRect(QRectF(conn.right() - 5, y, 3, 1.5));
    }
    p.setPen(QPen(QColor(0x6a, 0xa8, 0xe8), 1));
    p.setBrush(Qt::NoBrush);
    for (double y = conn.top() + 8; y < conn.bottom() - 8; y += 16) {
        QPainterPath loop;
        loop.moveTo(conn.left() - 1, y);
        loop.cubicTo(conn.left() - 12, y, conn.left() - 12, y + 8, conn.left() - 1, y + 8);
        p.drawPath(loop);
        QPainterPath back;
        back.moveTo(conn.right() + 1, y + 4);
        back.cubicTo(conn.right() + 12, y + 4, conn.right() + 12, y + 12, conn.right() + 1, y + 12);
        p.drawPath(back);
    }
    Text(p, QRect(288, 198, w - 298, 14), QStringLiteral("LOOPBACK"), 8, QColor(0x6a, 0x7a, 0x98));
}

// Labels of the remote's keys, in the page's key order (row by row).
const char* const kRemoteKeys[24] = {
    "A", "B", "C", "PW",
    "1", "2", "3", "CH+",
    "4", "5", "6", "CH-",
    "7", "8", "9", "V+",
    "M", "0", "RT", "V-",
    ">", "<<", ">>", "MU",
};

void Ir(QPainter& p, int, int) {
    GroupPanel(p, QRect(14, 20, 196, 242));  // caption, scan codes, Clear
    // The remote control; the page lights its keys at (235 + 23c, 67 + 24r).
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(227, 26, 121, 238);
    DropShadow(p, body.translated(2, 3), 16);
    QLinearGradient g(body.topLeft(), body.topRight());
    g.setColorAt(0, QColor(0x30, 0x34, 0x3e));
    g.setColorAt(0.5, QColor(0x3a, 0x3f, 0x4a));
    g.setColorAt(1, QColor(0x26, 0x2a, 0x32));
    RoundedBox(p, body, 16, g, QColor(0x12, 0x14, 0x18));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x60, 0x10, 0x18));
    p.drawEllipse(QPointF(287.5, 40), 5, 3.5);
    p.setBrush(QColor(0xa0, 0x30, 0x38));
    p.drawEllipse(QPointF(286.5, 39), 1.5, 1);
    Text(p, QRect(228, 48, 120, 12), QStringLiteral("REMOTE"), 7, QColor(0x8a, 0x90, 0x9c));
    for (int k = 0; k < 24; ++k) {
        const int col = k % 4, row = k / 4;
        const QRectF key(235 + 23 * col, 67 + 24 * row, 18, 18);
        QRadialGradient kg(key.center() - QPointF(2, 2), 11);
        const bool side = col == 3;
        kg.setColorAt(0, side ? QColor(0x4a, 0x62, 0x8c) : QColor(0x5a, 0x5f, 0x6a));
        kg.setColorAt(1, side ? QColor(0x22, 0x30, 0x4c) : QColor(0x24, 0x27, 0x2e));
        p.setPen(QPen(QColor(0x10, 0x12, 0x16), 1));
        p.setBrush(kg);
        p.drawEllipse(key.adjusted(1.5, 1.5, -1.5, -1.5));
        const QString label = QString::fromUtf8(kRemoteKeys[k]);
        Text(p, key.toRect(), label, label.size() > 1 ? 6 : 8, QColor(0xe0, 0xe4, 0xea));
    }
    Text(p, QRect(228, 232, 120, 14), QStringLiteral("KBR-370"), 9, QColor(0x7a, 0x84, 0x94),
         Qt::AlignCenter, true);
}

void Usb(QPainter& p, int w, int) {
    GroupPanel(p, QRect(40, 92, w - 80, 100));  // port status and the three icons
    // A host port drawn above the panel.
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF port(w / 2.0 - 34, 30, 68, 30);
    RoundedBox(p, port, 3,
               TwoTone(port.topLeft(), port.bottomLeft(), QColor(0xc4, 0xca, 0xd4),
                       QColor(0x7a, 0x80, 0x8c)),
               QColor(0x40, 0x44, 0x4c));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x12, 0x14, 0x18));
    p.drawRect(port.adjusted(6, 6, -6, -6));
    p.setBrush(QColor(0x2c, 0x5c, 0xc4));
    p.drawRect(QRectF(port.left() + 10, port.top() + 9, port.width() - 20, 6));
    Text(p, QRect(0, 64, w, 14), QStringLiteral("USB HOST"), 9, QColor(0x6a, 0x7a, 0x98),
         Qt::AlignCenter, true);
}

using Layout = std::function<void(QPainter&, int, int)>;

const std::map<QString, Layout>& Layouts() {
    static const std::map<QString, Layout> layouts = {
        {QStringLiteral("TAB_DLG_BK"), Tab},        {QStringLiteral("BT_DLG_BK"), Switches},
        {QStringLiteral("MEMORY_DLG_BK"), Memory},  {QStringLiteral("SDCARD_DLG_BK"), SdCard},
        {QStringLiteral("HSMC_DLG_BK"), Hsmc},      {QStringLiteral("IR_DLG_BK"), Ir},
        {QStringLiteral("USB_DLG_BK"), Usb},
    };
    return layouts;
}

} // namespace

QImage PaintPageBackground(const QString& name, int w, int h) {
    QImage image = NewImage(w, h, pal::kPageGround);
    QPainter p(&image);
    PageGround(p, w, h);
    const auto it = Layouts().find(name);
    if (it != Layouts().end())
        it->second(p, w, h);
    else
        WholePanel(p, w);
    return image;
}

QImage PaintAboutBackground(int w, int h) {
    QImage image = NewImage(w, h, pal::kPanel);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Upper picture: the board's chip with its traces, and the product name.
    VerticalGradient(p, QRect(0, 0, w, 180), QColor(0x1e, 0x2a, 0x42), QColor(0x12, 0x18, 0x26));
    p.setPen(QPen(QColor(0x1e, 0x5c, 0x70), 1));
    for (int i = 0; i < 9; ++i) {
        const double y = 40 + i * 10;
        p.drawLine(QPointF(0, y), QPointF(110, y));
        p.drawLine(QPointF(190, y), QPointF(w, y));
        p.setBrush(QColor(0x00, 0xb4, 0xd8));
        p.drawEllipse(QPointF(20 + (i * 23) % 80, y), 1.5, 1.5);
        p.drawEllipse(QPointF(280 - (i * 29) % 80, y), 1.5, 1.5);
    }
    const QRectF chip(110, 30, 80, 80);
    LogoChip(p, chip, 22, 30, QColor(0x3a, 0x3f, 0x48), QColor(0x18, 0x1a, 0x1e),
             QColor(0x5a, 0x62, 0x70));
    Text(p, QRect(0, 120, w, 34), QStringLiteral("KBR-370"), 28, QColor(0xf0, 0xf4, 0xfa),
         Qt::AlignCenter, true);
    Text(p, QRect(0, 152, w, 16), QStringLiteral("FPGA DEVELOPMENT BOARD"), 10,
         QColor(0x7a, 0xc8, 0xe0), Qt::AlignCenter);
    p.fillRect(QRect(0, 180, w, 1), QColor(0x00, 0x7a, 0x96));
    // Lower part: flat panel colour under the labels and the Close button.
    p.fillRect(QRect(0, 181, w, h - 181), pal::kPanel);
    RoundedBox(p, QRectF(22, 194, 56, 56), 8, QColor(0x12, 0x18, 0x25), QColor(0x2e, 0x3b, 0x56));
    LogoMark(p, QRectF(34, 206, 32, 32), 5, 7, 12, QColor(0x12, 0x18, 0x25));
    p.setPen(QColor(0x5a, 0x68, 0x84));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRect(0, 0, w - 1, h - 1);
    return image;
}

} // namespace skingen
