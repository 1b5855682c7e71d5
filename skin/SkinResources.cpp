#include "skin/SkinResources.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHash>

// The generated bitmaps are compiled into static libraries; naming the
// initialisers here keeps the linker from dropping them.
static void InitSkinResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(skin);
        return true;
    }();
    (void)done;
}

static void InitSkinResources2x() {
    static const bool done = [] {
        Q_INIT_RESOURCE(skin2x);
        return true;
    }();
    (void)done;
}

namespace {

// Upper-case resource name -> path under `folder` of the resource tree.
QHash<QString, QString> IndexOf(const QString& folder) {
    QHash<QString, QString> map;
    QDirIterator it(folder, {QStringLiteral("*.png")}, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        map.insert(QFileInfo(path).completeBaseName().toUpper(), path);
    }
    return map;
}

// Built once: the resources never change while the program runs.
const QHash<QString, QString>& ResourceIndex() {
    static const QHash<QString, QString> index = [] {
        InitSkinResources();
        return IndexOf(QStringLiteral(":/skin"));
    }();
    return index;
}

// The 2x pictures decoded so far, by upper-case name. Only a screen with a
// device pixel ratio above 1 fills it, so at 1x none of them costs memory.
QHash<QString, QImage>& Decoded2x() {
    static QHash<QString, QImage> decoded;
    return decoded;
}

QImage Load2x(const QString& key) {
    static const QHash<QString, QString> index = [] {
        InitSkinResources2x();
        return IndexOf(QStringLiteral(":/skin2x"));
    }();
    const auto it = index.constFind(key);
    if (it == index.constEnd())
        return {};
    QImage image = QImage(it.value()).convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    return image;
}

} // namespace

bool SkinBitmapExists(const QString& name) {
    return ResourceIndex().contains(name.toUpper());
}

QImage LoadSkinBitmap(const QString& name) {
    const auto& index = ResourceIndex();
    const auto it = index.constFind(name.toUpper());
    if (it == index.constEnd())
        throw ResourceNotFound("bitmap resource not found: " + name.toStdString());
    QImage image(it.value());
    if (image.isNull())
        throw ResourceNotFound("bitmap resource unreadable: " + name.toStdString());
    return image.convertToFormat(QImage::Format_RGB32);
}

qint64 SkinBitmaps2xDecodedBytes() {
    qint64 bytes = 0;
    for (const QImage& image : Decoded2x())
        bytes += image.sizeInBytes();
    return bytes;
}

QImage SkinBitmapAt(const QString& name, const QImage& image, qreal dpr) {
    if (dpr <= 1)
        return image;
    const QString key = name.toUpper();
    auto& decoded = Decoded2x();
    auto it = decoded.find(key);
    if (it == decoded.end())
        it = decoded.insert(key, Load2x(key));
    return it->isNull() ? image : *it;
}
