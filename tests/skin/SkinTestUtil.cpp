#include "tests/skin/SkinTestUtil.h"

#include "skin/SkinResources.h"

QImage StripFace(const QString& strip, TButtonFace face) {
    const QImage image = LoadSkinBitmap(strip);
    const int h4 = image.height() / 4;
    return image.copy(0, static_cast<int>(face) * h4, image.width(), h4);
}

QImage Region(const Canvas& canvas, const QRect& r) {
    return canvas.Image().copy(r).convertToFormat(QImage::Format_RGB32);
}

bool ShowsFace(const Canvas& canvas, int x, int y, const QString& strip, TButtonFace face) {
    const QImage f = StripFace(strip, face);
    return Region(canvas, QRect(QPoint(x, y), f.size())) == f;
}

int CountColour(const Canvas& canvas, const QRect& r, const QColor& c) {
    int n = 0;
    const QRect area = r.intersected(canvas.Image().rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += canvas.Image().pixel(x, y) == c.rgb();
    return n;
}
