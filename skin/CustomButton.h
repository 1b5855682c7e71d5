#pragma once
#include <QImage>
#include <QString>
#include <memory>

class Canvas;

enum TButtonFace { bfNormal = 0, bfDisabled = 1, bfHot = 2, bfPressed = 3 };

// One skinned button: a strip of four faces stacked top to bottom, with an
// optional caption drawn over it.
class TCustomButton {
public:
    TCustomButton(int id, const QString& caption, const QString& resourceName, int x, int y,
                  bool transparent);

    int Id() const { return id; }
    int X() const { return x; }
    int Y() const { return y; }
    bool Enabled() const { return enabled; }
    bool Checked() const { return checked; }
    const QString& Caption() const { return caption; }
    void SetEnabled(bool on) { enabled = on; }
    void SetChecked(bool on) { checked = on; }
    // The keyboard focus: an enabled focused button draws a dotted frame over its face.
    bool Focused() const { return focused; }
    void SetFocused(bool on) { focused = on; }
    void SetCaption(const QString& text);
    void LoadBitmap(const QString& resourceName);
    bool HasBitmap() const { return m_pBitmap != nullptr; }
    int Width() const;
    int FaceHeight() const;

    bool HitTest(int px, int py) const;
    void DrawFace(Canvas& c, TButtonFace face) const;
    void PaintRest(Canvas& c) const { DrawFace(c, enabled ? bfNormal : bfDisabled); }

private:
    void DrawCaption(Canvas& c, TButtonFace face) const;
    int id;
    bool enabled = true;
    int x, y;
    QString caption;
    std::unique_ptr<QImage> m_pBitmap;
    QString bitmapName;
    bool transparent = false;
    bool checked = false;
    bool focused = false;
};
