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
class Canvas {
public:
    Canvas(QWidget* owner, QSize size);

    QImage& Image() { return image; }
    const QImage& Image() const { return image; }
    QSize Size() const { return image.size(); }
    void Resize(QSize size);

    // Draws an image whole, or without the pixels of its lower-left pixel's colour.
    void DrawImage(int x, int y, const QImage& src, bool transparent);
    // Plain copy of `srcRect` of `src` onto `dst` of this canvas.
    void CopyRect(const QRect& dst, const QImage& src, const QRect& srcRect);
    void FillRect(const QRect& r, const QColor& c);
    // Text with a clear brush (no background box) at its top-left corner.
    void TextOut(int x, int y, const QString& text, const QFont& font, const QColor& colour);
    QSize TextExtent(const QString& text, const QFont& font) const;
    // Outline of a rectangle; `width` pixels wide, optionally dotted.
    void Frame(const QRect& r, const QColor& pen, int width, bool dotted = false);
    void Ellipse(const QRect& r, const QColor& pen, const QColor& brush);

    QColor Pixel(int x, int y) const { return image.pixelColor(x, y); }

    // While off, drawing does not ask the owner to repaint; the owner's own
    // paint handler turns it off around a whole repaint it is about to show.
    void SetNotifyOwner(bool on) { notifyOwner = on; }

private:
    void Changed(const QRect& r);
    QWidget* owner;
    QImage image;
    bool notifyOwner = true;
};
