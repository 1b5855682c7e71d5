#pragma once
#include <cstdint>
#include <memory>

#include "pages/Page.h"
#include "skin/HiddenButton.h"

class TButtonManager;

// The LED page: 9 green and 18 red LEDs as toggle pictures. Every change sends
// all 27 states in one SetLeds; nothing is read back.
class TFormLED : public TPage {
    Q_OBJECT
  public:
    static constexpr int kLedCount = 27;

    explicit TFormLED(QWidget* parent);
    ~TFormLED() override;

    void ButtonLedLightAllClick();
    void ButtonLedUnlightAllClick();

    // Bit n is LED button n checked; bits 27 to 31 stay 0.
    uint32_t LedMask() const;

    TButtonManager& LedButtons() { return *ledButtons; }
    TButtonManager& CommandButtons() { return Buttons(); }

    THiddenButton ButtonLedLightAll;
    THiddenButton ButtonLedUnlightAll;

  protected:
    void EnableControls(bool on) override;
    void FormPaint() override;
    void FormMouseDown(int x, int y) override;
    void FormMouseMove(int x, int y) override;
    void FormMouseUp(int x, int y) override;

  private:
    void SetAllLeds(bool lit);
    void SendLeds();

    std::unique_ptr<TButtonManager> ledButtons;
};
