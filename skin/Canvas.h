#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QWidget;

// The window's drawing surface: an image of the client size. Every drawing call
// lands at once and asks the owner to show it; nothing is deferred to a paint
// handler, as the skinned windows expect. Tests read its pixels.
//
// Callers work in the client's 1x coordinates. The image itself has the
// owner's device pixel ratio, so on a finer screen texts, frames and the 2x
// pictures are drawn at its native resolution.
class Canvas {
public:
    Canvas(QWidget* owner, QSize size);

    // The pixels, `Size()` times the device pixel ratio, which the image carries.
    QImage& Image() { return image; }
    const QImage& Image() const { return image; }
    QSize Size() const { return size; }
    void Resize(QSize size);
    qreal DevicePixelRatio() const { return dpr; }
    // Redraws what is there at the new ratio; the owner paints it anew.
    void SetDevicePixelRatio(qreal ratio);
    // Whether a picture of ratio `from` shown at ratio `to` is best scaled
    // smoothly: when shrunk, or enlarged by other than whole pixels.
    static bool ScalesSmoothly(qreal from, qreal to);

    // Draws an image whole, or without the pixels of its lower-left pixel's
    // colour. The image covers its size divided by its own device pixel ratio.
    void DrawImage(int x, int y, const QImage& src, bool transparent);
    // Plain copy of `srcRect` of `src` onto `dst` of this canvas; `srcRect` is
    // in the 1x coordinates of `src`, whatever its device pixel ratio.
    void CopyRect(const QRect& dst, const QImage& src, const QRect& srcRect);
    void FillRect(const QRect& r, const QColor& c);
    // Text with a clear brush (no background box) at its top-left corner.
    void TextOut(int x, int y, const QString& text, const QFont& font, const QColor& colour);
    QSize TextExtent(const QString& text, const QFont& font) const;
    // Outline of a rectangle; `width` pixels wide, optionally dotted.
    void Frame(const QRect& r, const QColor& pen, int width, bool dotted = false);
    void Ellipse(const QRect& r, const QColor& pen, const QColor& brush);

    // The colour at client point (x, y): its first device pixel.
    QColor Pixel(int x, int y) const;

    // While off, drawing does not ask the owner to repaint; the owner's own
    // paint handler turns it off around a whole repaint it is about to show.
    void SetNotifyOwner(bool on) { notifyOwner = on; }

private:
    void Changed(const QRect& r);
    QRect ClientRect() const { return {QPoint(0, 0), size}; }
    // The device pixels that client pixel (x, y) covers.
    QRect DeviceRect(int x, int y) const;
    void DrawKeyed(const QRect& target, const QImage& src);
    QWidget* owner;
    qreal dpr;
    QSize size;
    QImage image;
    bool notifyOwner = true;
};
