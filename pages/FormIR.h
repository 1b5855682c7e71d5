#pragma once
#include <array>

#include "core/devices/IrCodes.h"
#include "pages/MonitorPage.h"
#include "skin/HiddenButton.h"

class QLabel;

// The IR page: monitoring mode goes on at attach; every 50 ms the scan codes
// the receiver picked up are added to an eight-code history and light their
// keys on the remote control's picture, each light fading out over the
// following ticks.
class TFormIR : public TMonitorPage {
    Q_OBJECT
  public:
    explicit TFormIR(QWidget* parent);

    void ButtonClearClick();

    const TIrHistory& History() const { return history; }
    uint8_t KeyLight(int key) const { return keyLights[key]; }

    QLabel* LabelInfo = nullptr;
    THiddenButton ButtonClear;

  protected:
    bool Attached() override;
    void EnableControls(bool on) override;
    void FormPaint() override;
    void FormMouseUp(int x, int y) override;

  private:
    void TakeReading(bool linkOk, bool done, const uint8_t* codes, uint32_t count);
    void ShowCodes();
    void SetAllLights(uint8_t level);
    void FadeKeyLights();
    void DrawKeyLights();

    TIrHistory history;
    std::array<uint8_t, kIrKeyCount> keyLights{};
    // What the canvas shows: an idle poll with nothing lit draws nothing.
    std::array<uint8_t, kIrKeyCount> drawnLights{};
};
