#include "pages/DeviceMonitor.h"

#include <mutex>

#include "core/DeviceWatch.h"
#include "pages/Page.h"
#include "pages/PollTimer.h"

TDeviceMonitor::TDeviceMonitor(TPage* page, const kbr::devices::TDevice& device,
                               ReadingHandler onReading)
    : QObject(page), page(page), channel(device.channel), onReading(std::move(onReading)),
      timer(new TPollTimer(this, device.pollMs, [this] { return Poll(); })) {}

TDeviceMonitor::TModeResult TDeviceMonitor::SetMonitorMode(bool on) {
    TBoard* board = page->Board();
    if (!board)
        return {};
    std::lock_guard<std::recursive_mutex> lock(board->Lock);
    if (!board->IsConnected())
        return {true, true};
    const auto outcome = kbr::TDeviceWatch::SetMode(*board, channel, on);
    return {outcome != kbr::TDeviceWatch::TOutcome::LinkFailed,
            outcome == kbr::TDeviceWatch::TOutcome::Ok};
}

TDeviceMonitor::TReading TDeviceMonitor::Read() {
    TReading reading;
    TBoard* board = page->Board();
    if (!board)
        return reading;
    std::lock_guard<std::recursive_mutex> lock(board->Lock);
    const kbr::TDeviceWatch::TReading read = kbr::TDeviceWatch::Read(*board, channel);
    reading.linkOk = read.outcome != kbr::TDeviceWatch::TOutcome::LinkFailed;
    reading.done = read.outcome == kbr::TDeviceWatch::TOutcome::Ok;
    reading.count = read.count;
    reading.data = read.data;
    return reading;
}

void TDeviceMonitor::StartPolling(bool on) {
    timer->StartPolling(on);
}

bool TDeviceMonitor::IsPolling() const {
    return timer->IsActive();
}

void TDeviceMonitor::Tick() {
    timer->Tick();
}

int TDeviceMonitor::Interval() const {
    return timer->Interval();
}

void TDeviceMonitor::SetInterval(int ms) {
    timer->SetInterval(ms);
}

bool TDeviceMonitor::Poll() {
    if (BeforePoll)
        BeforePoll();
    if (!page->Board())
        return false;
    const TReading reading = Read();
    onReading(reading);
    if (OnPolled)
        OnPolled();
    if (!reading.linkOk) {
        // The Lock is free again here: the handler disconnects the session.
        if (page->OnLinkLost)
            page->OnLinkLost(page);
        return false;
    }
    return true;
}
