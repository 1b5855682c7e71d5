#pragma once
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>

#include "board/Board.h"
#include "core/devices/Devices.h"

class TPage;
class TPollTimer;

// Watches one device channel of the board for a page: switches the channel's
// monitoring mode, and polls the channel on a re-arming timer, handing each
// reply to the page. When to switch the mode and how to judge a reply stay
// with the page; a poll whose exchange failed raises the page's OnLinkLost
// (after the Lock is left) and ends polling.
class TDeviceMonitor : public QObject {
    Q_OBJECT
  public:
    struct TReading {
        bool linkOk = false; // the exchange worked
        bool done = false;   // the board's own answer
        uint32_t count = 0;
        std::array<uint8_t, TBoard::kDeviceChunk> data{};
    };
    using ReadingHandler = std::function<void(const TReading&)>;

    // The session is always the page's current one; the device's poll
    // interval is the timer's first.
    TDeviceMonitor(TPage* page, const kbr::devices::TDevice& device, ReadingHandler onReading);

    struct TModeResult {
        bool linkOk = false;
        bool done = false;
    };
    // Monitoring mode on or off under the session's Lock. A closed link sends
    // nothing and counts as success; no session counts as a failed exchange.
    TModeResult SetMonitorMode(bool on);

    // One poll of the channel under the session's Lock.
    TReading Read();

    // Stops the timer; with `on`, arms it with the interval.
    void StartPolling(bool on);
    bool IsPolling() const;
    // One tick, as the timer runs it.
    void Tick();

    uint8_t Channel() const { return channel; }
    int Interval() const;
    // The gap before the next poll, from the next arming on.
    void SetInterval(int ms);

    // Runs at every tick before the session is looked at.
    std::function<void()> BeforePoll;
    // Told of every finished poll (benchmarks time the period with it).
    std::function<void()> OnPolled;

  private:
    bool Poll();

    TPage* page;
    uint8_t channel;
    ReadingHandler onReading;
    TPollTimer* timer;
};
