#include "pages/FormSeg7.h"

#include "board/Board.h"
#include "skin/BitmapManager.h"
#include "skin/ButtonManager.h"
#include "skin/SkinFont.h"
#include "skin/WinColor.h"

namespace {

constexpr uint32_t kLabelColour = 0xFFEA00;
constexpr int kGlyphKey = 1; // key of the glyph for value 0; value v is key v + 1

// The arrows of a digit sit on its base column x0: increment at (x0, y),
// decrement 22 pixels left of it; the digit's area starts 30 left of x0.
struct DigitColumn {
    int x0;
    int buttonY;
    int digitY;
};

constexpr DigitColumn ColumnOf(int d) {
    if (d < 4)
        return {274 - 50 * d, 230, 145};
    if (d < 6)
        return {300 - 50 * (d - 4), 105, 20};
    return {150 - 50 * (d - 6), 105, 20};
}

} // namespace

TFormSeg7::TFormSeg7(QWidget* parent) : TPage(parent, "TAB_DLG_BK", "Segement 7") {
    digits.fill(kSeg7StartDigit);
    for (int v = 0; v < 16; ++v)
        bitmaps->AddBitmap(kGlyphKey + v, QString::asprintf("HEX_%x", v), true);

    for (int d = 0; d < kSeg7DigitCount; ++d) {
        const DigitColumn c = ColumnOf(d);
        Buttons().AddButton(2 * d, QString(), "RIGHT_BTN", c.x0, c.buttonY);
        Buttons().AddButton(2 * d + 1, QString(), "LEFT_BTN", c.x0 - 22, c.buttonY);
        digitPos[d] = QPoint(c.x0 - 30, c.digitY);
    }
    EnableControls(false);
    DrawDigits();
}

void TFormSeg7::EnableControls(bool on) {
    for (int id = 0; id < 2 * kSeg7DigitCount; ++id)
        Buttons().SetButtonEnabled(id, on);
    Buttons().PaintButtons();
}

void TFormSeg7::DrawDigits() {
    Canvas& canvas = GetCanvas();
    const QFont font = SkinFontPoints("MS Sans Serif", 10);
    const QImage background = bitmaps->GetBitmap(0)->At(canvas.DevicePixelRatio());
    for (int d = 0; d < kSeg7DigitCount; ++d) {
        const QPoint at = digitPos[d];
        const QString label = QString("HEX%1").arg(d);
        // The label is drawn again at every change; starting from the clean
        // background keeps its smoothed edges from thickening.
        const QRect labelRect(QPoint(at.x() + 9, at.y()),
                              canvas.TextExtent(label, font) + QSize(4, 0));
        canvas.CopyRect(labelRect, background, labelRect);
        bitmaps->DrawBitmap(kGlyphKey + digits[d], at.x() + 8, at.y() + 20);
        canvas.TextOut(at.x() + 11, at.y(), label, font, WinColor(kLabelColour));
    }
}

void TFormSeg7::SendDigits() {
    // An attached session whose link is closed counts as a failed command here.
    const uint32_t value = PackSeg7Digits(digits);
    RunCommand([value](TBoard& b) { return b.SetSeg7(value, 0); }, ClosedLink::Failure);
}

void TFormSeg7::FormPaint() {
    TPage::FormPaint();
    DrawDigits();
}

void TFormSeg7::FormMouseUp(int x, int y) {
    const int id = router.MouseUp(x, y).id;
    if (id < 0 || id >= 2 * kSeg7DigitCount)
        return;
    const int d = id / 2;
    digits[d] = StepSeg7Digit(digits[d], id % 2 == 0);
    DrawDigits();
    SendDigits();
}
