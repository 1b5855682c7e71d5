#pragma once
#include <array>
#include <memory>

#include "pages/Page.h"
#include "logic/IrCodes.h"
#include "skin/HiddenButton.h"

class QLabel;
class TButtonManager;
class TDeviceMonitor;

// The IR page: monitoring mode goes on at attach; every 50 ms the scan codes
// the receiver picked up are added to an eight-code history and light their
// keys on the remote control's picture, each light fading out over the
// following ticks.
class TFormIR : public TPage {
    Q_OBJECT
  public:
    static constexpr uint8_t kChannel = 0;
    static constexpr int kPollMs = 50;

    explicit TFormIR(QWidget* parent);
    ~TFormIR() override;

    void AttachBoard(TBoard* session) override;
    void DetachBoard() override;

    void ButtonClearClick();

    const TIrHistory& History() const { return history; }
    uint8_t KeyLight(int key) const { return keyLights[key]; }
    TDeviceMonitor& Monitor() { return *monitor; }
    TButtonManager& Buttons() { return *buttons; }

    QLabel* LabelInfo = nullptr;
    THiddenButton ButtonClear;

  protected:
    void FormPaint() override;
    void FormMouseUp(int x, int y) override;

  private:
    bool SetMonitorMode(bool on);
    void StartPolling(bool on);
    void TakeReading(bool linkOk, bool done, const uint8_t* codes, uint32_t count);
    void ShowCodes();
    void SetAllLights(uint8_t level);
    void FadeKeyLights();
    void DrawKeyLights();

    TIrHistory history;
    std::array<uint8_t, kIrKeyCount> keyLights{};
    // What the canvas shows: an idle poll with nothing lit draws nothing.
    std::array<uint8_t, kIrKeyCount> drawnLights{};
    std::unique_ptr<TButtonManager> buttons;
    TDeviceMonitor* monitor;
};
