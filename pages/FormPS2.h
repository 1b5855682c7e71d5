#pragma once
#include <QRect>

#include "core/devices/Ps2Mouse.h"
#include "pages/MonitorPage.h"
#include "skin/HiddenButton.h"

class QLabel;

// The PS/2 page: Start switches the board's PS/2 channel into monitoring mode
// and traces the mouse's reports as a pointer picture in the trace box, every
// 10 ms; Stop ends the trace but leaves the board's mode on, and only a
// detach switches it off.
class TFormPS2 : public TMonitorPage {
    Q_OBJECT
  public:
    // The trace box, grown by 8 pixels on each side so the 16-pixel picture
    // fits at every edge.
    static constexpr QRect kPaintBox{24, 64, 337, 169};

    explicit TFormPS2(QWidget* parent);

    void ButtonStartClick();

    const TMousePointer& Pointer() const { return pointer; }
    bool Tracing() const { return tracing; }
    bool MonitorStarted() const { return monitorStarted; }
    QLabel* LabelInfo = nullptr;

    THiddenButton ButtonStart;

  protected:
    bool Attached() override;
    void Detaching() override;
    void EnableControls(bool on) override;
    void FormPaint() override;

  private:
    void SetStartCaption(const char* caption);
    void TakeReports(const uint8_t* data, uint32_t count);
    void DrawPointer(bool erase);

    TMousePointer pointer;
    bool tracing = false;
    bool monitorStarted = false;
};
