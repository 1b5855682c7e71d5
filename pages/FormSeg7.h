#pragma once
#include <QPoint>
#include <array>

#include "core/devices/Seg7Digits.h"
#include "pages/Page.h"

// The 7-segment page: eight hexadecimal glyphs, each stepped up and down by a
// pair of arrow buttons; every step sends all eight digits in one SetSeg7.
// Nothing is read back.
class TFormSeg7 : public TPage {
    Q_OBJECT
  public:
    explicit TFormSeg7(QWidget* parent);

    const Seg7Digits& Digits() const { return digits; }
    // Buttons(): digit d's id 2d steps up (right arrow), id 2d + 1 down (left arrow).
    // Top-left of digit d's area: its label, with the glyph below.
    QPoint DigitPos(int d) const { return digitPos[d]; }

  protected:
    void EnableControls(bool on) override;
    void FormPaint() override;
    void FormMouseUp(int x, int y) override;

  private:
    void DrawDigits();
    void SendDigits();

    Seg7Digits digits;
    std::array<QPoint, kSeg7DigitCount> digitPos;
};
