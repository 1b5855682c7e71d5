#pragma once
#include <cstdint>

#include "pages/Page.h"

class TPollTimer;

// The switches and keys page: watches KEY0-3 and SW0-17 by polling the board
// every 100 ms while connected, and redraws their pictures when the value
// changes. No buttons, no mouse input.
class TFormButton : public TPage {
    Q_OBJECT
  public:
    explicit TFormButton(QWidget* parent);

    // Bits 0-3 keys, bits 4-21 switches, as last read.
    uint32_t InputState() const { return inputState; }
    TPollTimer& TimerPolling() { return *timerPolling; }

    // Where the pictures of key i (0-3) and switch n (0-17) lie.
    static QPoint KeyPos(int i);
    static QPoint SwitchPos(int n);

  protected:
    bool Attached() override;
    void Detaching() override;
    void FormPaint() override;

  private:
    bool PollInputs();
    void DrawInputs();

    uint32_t inputState = 0;
    uint32_t shownState = 0;
    TPollTimer* timerPolling;
};
