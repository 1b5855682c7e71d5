#include "pages/MonitorPage.h"

TMonitorPage::TMonitorPage(QWidget* parent, const char* background, const char* caption,
                           const kbr::devices::TDevice& device,
                           TDeviceMonitor::ReadingHandler onReading)
    : TPage(parent, background, caption),
      monitor(new TDeviceMonitor(this, device, std::move(onReading))) {}

TMonitorPage::~TMonitorPage() {
    // Closing the panel while the page is attached lets go of the channel too.
    if (board)
        monitor->SetMonitorMode(false);
}

bool TMonitorPage::Attached() {
    const bool ready = TPage::Attached();
    if (!ready)
        monitor->StartPolling(false);
    return ready;
}

void TMonitorPage::Detaching() {
    monitor->StartPolling(false);
    monitor->SetMonitorMode(false);
}
