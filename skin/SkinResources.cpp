#include "skin/SkinResources.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHash>

// The generated bitmaps are compiled into a static library; naming the
// initialiser here keeps the linker from dropping them.
static void InitSkinResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(skin);
        return true;
    }();
    (void)done;
}

namespace {

// Upper-case resource name -> path in the resource tree. Built once: the
// resources never change while the program runs.
const QHash<QString, QString>& ResourceIndex() {
    static const QHash<QString, QString> index = [] {
        InitSkinResources();
        QHash<QString, QString> map;
        QDirIterator it(QStringLiteral(":/skin"), {QStringLiteral("*.png")}, QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            map.insert(QFileInfo(path).completeBaseName().toUpper(), path);
        }
        return map;
    }();
    return index;
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
