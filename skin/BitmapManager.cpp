#include "skin/BitmapManager.h"

#include "platform/Assert.h"
#include "skin/Canvas.h"
#include "skin/SkinResources.h"

namespace {

void FreeBitmap(TBitmap* pBitmap) {
    KBR_ASSERT(pBitmap != nullptr, "pBitmap");
    delete pBitmap;
}

} // namespace

QImage TBitmap::At(qreal dpr) const {
    return SkinBitmapAt(name, image, dpr);
}

TBitmapManager::TBitmapManager(Canvas* canvas) : canvas(canvas) {}

TBitmapManager::~TBitmapManager() {
    for (Entry& e : entries)
        FreeBitmap(e.pBitmap);
}

void TBitmapManager::AddBitmap(int key, const QString& resourceName, bool transparent) {
    // Load first: a missing resource throws before any entry exists.
    auto* bitmap = new TBitmap{LoadSkinBitmap(resourceName), transparent, resourceName};
    entries.push_back(Entry{key, bitmap});
}

const TBitmapManager::Entry* TBitmapManager::Find(int key) const {
    for (const Entry& e : entries)
        if (e.key == key)
            return &e;
    return nullptr;
}

void TBitmapManager::DrawBitmap(int key, int x, int y, Canvas* target) const {
    const Entry* e = Find(key);
    Canvas* dst = target ? target : canvas;
    if (!e || !dst)
        return;
    dst->DrawImage(x, y, e->pBitmap->At(dst->DevicePixelRatio()), e->pBitmap->transparent);
}

QSize TBitmapManager::GetBitmapSize(int key) const {
    const Entry* e = Find(key);
    return e ? e->pBitmap->image.size() : QSize(0, 0);
}

const TBitmap* TBitmapManager::GetBitmap(int key) const {
    const Entry* e = Find(key);
    return e ? e->pBitmap : nullptr;
}
