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
