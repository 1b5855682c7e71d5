#pragma once
#include "pages/DeviceMonitor.h"
#include "pages/Page.h"

// A page that watches a device in the board's monitoring mode (PS/2, RS232,
// IR): its device monitor polls the device's channel, and the mode goes off
// when the session leaves or the page closes while attached.
class TMonitorPage : public TPage {
    Q_OBJECT
  public:
    ~TMonitorPage() override;

    TDeviceMonitor& Monitor() { return *monitor; }

  protected:
    TMonitorPage(QWidget* parent, const char* background, const char* caption,
                 const kbr::devices::TDevice& device, TDeviceMonitor::ReadingHandler onReading);

    // Clears the info line; no polling without a connected session.
    bool Attached() override;
    // Polling ends and the board's mode goes off.
    void Detaching() override;

    TDeviceMonitor* monitor;
};
