#include "skin/CustomButton.h"

#include "platform/Assert.h"
#include "skin/Canvas.h"
#include "skin/SkinFont.h"
#include "skin/SkinResources.h"

namespace {

const QColor kCaptionActive(0x00, 0xEA, 0xFF);
const QColor kCaptionNormal(0xFF, 0xFF, 0xFF);
const QColor kCaptionDisabled(0x96, 0x96, 0x96);
const QColor kFocusFrame(0xFF, 0xFF, 0xFF);
constexpr int kFocusInset = 2;

} // namespace

TCustomButton::TCustomButton(int id, const QString& caption, const QString& resourceName, int x,
                             int y, bool transparent)
    : id(id), x(x), y(y), caption(caption), transparent(transparent) {
    if (!resourceName.isEmpty()) {
        m_pBitmap = std::make_unique<QImage>(LoadSkinBitmap(resourceName));
        bitmapName = resourceName;
    }
}

void TCustomButton::SetCaption(const QString& text) {
    if (text != caption)
        caption = text;
}

void TCustomButton::LoadBitmap(const QString& resourceName) {
    if (resourceName.isEmpty())
        return;
    KBR_ASSERT(m_pBitmap != nullptr, "m_pBitmap");
    *m_pBitmap = LoadSkinBitmap(resourceName);
    bitmapName = resourceName;
}

int TCustomButton::Width() const {
    return m_pBitmap ? m_pBitmap->width() : 0;
}

int TCustomButton::FaceHeight() const {
    return m_pBitmap ? m_pBitmap->height() / 4 : 0;
}

bool TCustomButton::HitTest(int px, int py) const {
    if (!m_pBitmap)
        return false;
    return x <= px && px < x + Width() && y <= py && py < y + FaceHeight();
}

void TCustomButton::DrawFace(Canvas& c, TButtonFace face) const {
    if (!m_pBitmap)
        return;
    const int w = Width();
    const int h4 = FaceHeight();
    c.CopyRect(QRect(x, y, w, h4), SkinBitmapAt(bitmapName, *m_pBitmap, c.DevicePixelRatio()),
               QRect(0, static_cast<int>(face) * h4, w, h4));
    DrawCaption(c, face);
    if (focused && enabled)
        c.Frame(QRect(x, y, w, h4).adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset),
                kFocusFrame, 1, true);
}

void TCustomButton::DrawCaption(Canvas& c, TButtonFace face) const {
    if (caption.isEmpty())
        return;
    const int w = Width();
    const int h4 = FaceHeight();
    const QFont font = SkinFontPoints(QStringLiteral("Arial"), 8);
    const QSize extent = c.TextExtent(caption, font);
    // Integer division truncates toward zero, so a caption wider than the
    // face starts left of the button.
    const int tx = x + (w - extent.width()) / 2;
    const int ty = y + (h4 - extent.height()) / 2;
    const QColor& colour = !enabled ? kCaptionDisabled
                           : (face == bfPressed || checked) ? kCaptionActive
                                                            : kCaptionNormal;
    c.TextOut(tx, ty, caption, font, colour);
}
