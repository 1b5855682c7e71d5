#pragma once
#include <QPoint>
#include <array>
#include <memory>

#include "pages/Page.h"
#include "logic/Seg7Digits.h"

class TButtonManager;

// The 7-segment page: eight hexadecimal glyphs, each stepped up and down by a
// pair of arrow buttons; every step sends all eight digits in one SetSeg7.
// Nothing is read back.
class TFormSeg7 : public TPage {
    Q_OBJECT
  public:
    explicit TFormSeg7(QWidget* parent);
    ~TFormSeg7() override;

    void AttachBoard(TBoard* session) override;
    void DetachBoard() override;

    const Seg7Digits& Digits() const { return digits; }
    // Digit d: id 2d steps up (right arrow), id 2d + 1 down (left arrow).
    TButtonManager& Buttons() { return *buttons; }
    // Top-left of digit d's area: its label, with the glyph below.
    QPoint DigitPos(int d) const { return digitPos[d]; }

  protected:
    void FormPaint() override;
    void FormMouseUp(int x, int y) override;

  private:
    void SetPageEnabled(bool on);
    void DrawDigits();
    void SendDigits();

    Seg7Digits digits;
    std::array<QPoint, kSeg7DigitCount> digitPos;
    std::unique_ptr<TButtonManager> buttons;
};
