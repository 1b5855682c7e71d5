#pragma once
#include <QRect>
#include <memory>

#include "pages/Page.h"
#include "logic/Ps2Mouse.h"
#include "skin/HiddenButton.h"

class QLabel;
class TButtonManager;
class TDeviceMonitor;

// The PS/2 page: Start switches the board's PS/2 channel into monitoring mode
// and traces the mouse's reports as a pointer picture in the trace box, every
// 10 ms; Stop ends the trace but leaves the board's mode on, and only a
// detach switches it off.
class TFormPS2 : public TPage {
    Q_OBJECT
  public:
    static constexpr uint8_t kChannel = 4;
    static constexpr int kPollMs = 10;
    // The trace box, grown by 8 pixels on each side so the 16-pixel picture
    // fits at every edge.
    static constexpr QRect kPaintBox{24, 64, 337, 169};

    explicit TFormPS2(QWidget* parent);
    ~TFormPS2() override;

    void AttachBoard(TBoard* session) override;
    void DetachBoard() override;

    void ButtonStartClick();

    const TMousePointer& Pointer() const { return pointer; }
    bool Tracing() const { return tracing; }
    bool MonitorStarted() const { return monitorStarted; }
    TDeviceMonitor& Monitor() { return *monitor; }
    TButtonManager& Buttons() { return *buttons; }
    QLabel* LabelInfo = nullptr;

    THiddenButton ButtonStart;

  protected:
    void FormPaint() override;

  private:
    bool SetMonitorMode(bool on);
    void SetStartCaption(const char* caption);
    void StartPolling(bool on);
    void TakeReports(const uint8_t* data, uint32_t count);
    void DrawPointer(bool erase);

    TMousePointer pointer;
    bool tracing = false;
    bool monitorStarted = false;
    std::unique_ptr<TButtonManager> buttons;
    TDeviceMonitor* monitor;
};
