#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

// Shared colours and small drawing helpers of the skin generator.
namespace skingen {

namespace pal {
inline const QColor kNavy(0x14, 0x1c, 0x2e);
inline const QColor kNavyDeep(0x0b, 0x10, 0x1c);
inline const QColor kGraphite(0x2a, 0x2f, 0x3a);
inline const QColor kGraphiteLight(0x45, 0x4c, 0x5a);
inline const QColor kSteel(0x6b, 0x76, 0x88);
inline const QColor kEdgeLight(0x8a, 0x98, 0xb0);
inline const QColor kEdgeDark(0x05, 0x08, 0x0e);
inline const QColor kAccent(0x00, 0xb4, 0xd8);
inline const QColor kAccentHot(0x3a, 0xe0, 0xff);
inline const QColor kPcbGreen(0x1f, 0x5e, 0x2e);
inline const QColor kPcbDark(0x14, 0x44, 0x20);
inline const QColor kCopper(0xc8, 0x9b, 0x3c);
inline const QColor kChip(0x1b, 0x1d, 0x21);
inline const QColor kSilk(0xe8, 0xec, 0xe0);
// The flat colour of page panels, where sprites and buttons sit.
inline const QColor kPanel(0x1a, 0x22, 0x33);
// Page ground outside the panels.
inline const QColor kPageGround(0x12, 0x18, 0x25);
// Main window: the tab and status panels, and the plate behind the window buttons.
inline const QColor kTabPanel(0x16, 0x1e, 0x2d);
inline const QColor kPlate(0x10, 0x16, 0x22);
// Background of every sprite: a colour the pictures themselves never use, so
// the lower-left pixel can stand for "see-through".
inline const QColor kKey(0xff, 0x00, 0xff);
} // namespace pal

// Every picture is drawn in its 1x coordinates. At scale 2 a new image has
// twice the pixels each way and its painters draw through the device pixel
// ratio, so the same drawing comes out at the finer resolution.
void SetDrawScale(int scale);
QImage NewImage(int w, int h, const QColor& fill);
QFont GenFont(int pixelSize, bool bold = false, const QString& family = QStringLiteral("Liberation Sans"));
// A raised (or sunken) panel with a one-pixel light and dark edge.
void Bevel(QPainter& p, const QRect& r, const QColor& face, bool sunken);
void VerticalGradient(QPainter& p, const QRect& r, const QColor& top, const QColor& bottom);
// A gradient from `start` at `from` to `end` at `to`.
QLinearGradient TwoTone(const QPointF& from, const QPointF& to, const QColor& start,
                        const QColor& end);
// A rounded body filled with `fill` inside a one-pixel `edge`. The pen and the
// brush stay set, for what is drawn on the body next.
void RoundedBox(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill, const QColor& edge);
// The soft shadow under a rounded body, drawn before the body.
void DropShadow(QPainter& p, const QRectF& r, qreal radius);
void Text(QPainter& p, const QRect& r, const QString& text, int pixelSize, const QColor& colour,
          int flags = Qt::AlignCenter, bool bold = false);
// A chip package with pins on the given sides ("lrtb"), with a silk label.
void Chip(QPainter& p, const QRect& body, const QString& label, const QString& pinSides);
// A flat panel of the page colour with a fine edge, where a page groups controls.
void GroupPanel(QPainter& p, const QRect& r);
// The product's logo: a dark chip with an accent ring and a dark core, the ring
// and the core inset from the chip's edge by the given amounts.
void LogoChip(QPainter& p, const QRectF& chip, qreal ringInset, qreal coreInset,
              const QColor& top, const QColor& bottom, const QColor& edge);
// The small logo mark: an accent tile with a dark core and an accent dot, the
// core and the dot inset from the tile's edge by the given amounts.
void LogoMark(QPainter& p, const QRectF& tile, qreal radius, qreal coreInset, qreal dotInset,
              const QColor& core);
// Draws through the image without antialiasing, so sprites keep a clean key colour.
void Crisp(QPainter& p);

} // namespace skingen
