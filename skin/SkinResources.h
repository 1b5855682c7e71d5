#pragma once
#include <QImage>
#include <QString>
#include <stdexcept>

// A bitmap resource that does not exist; the error reaches whoever builds the window.
class ResourceNotFound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Loads a skin bitmap by resource name, without regard to case ("HEX_a" finds HEX_A).
QImage LoadSkinBitmap(const QString& name);
bool SkinBitmapExists(const QString& name);
// The picture of skin bitmap `name` to draw on a surface of device pixel ratio
// `dpr`: `image`, its 1x picture, at a ratio of 1; above 1 the same drawing at
// 2x (device pixel ratio 2), decoded on the first such request and kept for
// the run. `image` again when the 2x set has no such bitmap.
QImage SkinBitmapAt(const QString& name, const QImage& image, qreal dpr);
// The bytes of the 2x pictures decoded so far (none at 1x).
qint64 SkinBitmaps2xDecodedBytes();
