#pragma once
#include <cstdint>
#include <string>

#include "pages/PanelHost.h"

class QLabel;
class QProgressBar;
class QTimer;
class QWidget;
class TTestLog;

// The main window's side of the reporting seam: the status label, the info
// line with its icon and the configuration gauge, laid over the window.
// Boxes and the beep are the panel's.
class TWindowHost : public TPanelHost {
  public:
    explicit TWindowHost(QWidget* window);

    void Info(const std::string& text, Tone tone) override;
    void Status(const std::string& text, Tone tone) override;
    void Progress(int fromPercent, int toPercent, uint32_t expectedMs) override;
    void ProgressHold() override;
    void ProgressEnd() override;

    // The info line in a colour of the page's own (0x00BBGGRR).
    void InfoLine(const std::string& text, uint32_t colour);
    // The gauge follows the time since its step began.
    void TimerProgressTimer();
    // Test mode: every info and status text also becomes a line of `log`.
    void SetLog(TTestLog* testLog) { log = testLog; }

    QLabel* StatusLabel() const { return LabelConnectStatus; }
    QLabel* InfoLabel() const { return LabelInfo; }
    QLabel* InfoImage() const { return ImageInfo; }
    QProgressBar* Gauge() const { return CGaugeConfig; }
    // Stretches the gauge's steps (1.0: as expected).
    double TimeScale = 1.0;

  private:
    TTestLog* log = nullptr;
    uint32_t progressDuration = 0;
    int progressFrom = 0;
    int progressTo = 0;
    uint32_t progressStart = 0;

    QLabel* LabelConnectStatus = nullptr;
    QProgressBar* CGaugeConfig = nullptr;
    QLabel* LabelInfo = nullptr;
    QLabel* ImageInfo = nullptr;
    QTimer* TimerProgress = nullptr;
};
