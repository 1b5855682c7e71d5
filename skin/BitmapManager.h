#pragma once
#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

class Canvas;

// A loaded bitmap with its transparent flag. `image` is the 1x picture; a
// surface of a higher device pixel ratio draws `At` its ratio instead.
struct TBitmap {
    QImage image;
    bool transparent = false;
    QString name;
    int Width() const { return image.width(); }
    int Height() const { return image.height(); }
    QImage At(qreal dpr) const;
};

// The bitmaps of one window under small integer keys; the first entry with a key wins.
class TBitmapManager {
public:
    explicit TBitmapManager(Canvas* canvas);
    ~TBitmapManager();
    TBitmapManager(const TBitmapManager&) = delete;
    TBitmapManager& operator=(const TBitmapManager&) = delete;

    void AddBitmap(int key, const QString& resourceName, bool transparent);
    void DrawBitmap(int key, int x, int y, Canvas* target = nullptr) const;
    QSize GetBitmapSize(int key) const;
    const TBitmap* GetBitmap(int key) const;

private:
    struct Entry {
        int key;
        TBitmap* pBitmap;
    };
    const Entry* Find(int key) const;
    Canvas* canvas;
    std::vector<Entry> entries;
};
