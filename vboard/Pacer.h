#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace vboard {

// Lets bytes pass at a fixed rate, like a slow UART. A busy period starts with
// the first byte that waits; allowances are counted from its start, so the
// rate is exact whatever the wake-up jitter. Like the UART's FIFO, the quiet
// line before a busy period earns credit up to one FIFO's worth, so a short
// frame leaves at once; a line that was busy a moment ago earns only what the
// moment is worth.
class TPacer {
  public:
    using Clock = std::chrono::steady_clock;
    // Waiting bytes go out in bursts about this far apart.
    static constexpr std::chrono::microseconds kTick{1000};
    // Bytes a busy period may start with at once (the JTAG UART's FIFO depth).
    static constexpr uint64_t kFifoBytes = 64;

    void SetRate(uint32_t bytesPerSecond); // 0: no limit
    uint32_t Rate() const { return rate; }
    bool Limited() const { return rate != 0; }

    // How many bytes may pass now (SIZE_MAX without a limit).
    size_t Allowance(Clock::time_point now);
    void Consumed(size_t count) { sent += count; }
    // Nothing waits any more: the busy period ends.
    void Idle();
    // When to look again for `waiting` bytes: the next byte's time, but no
    // sooner than a tick from `now`, unless all of them are due before that;
    // then exactly when the last one is, so a frame's tail never waits for a tick.
    Clock::time_point NextAt(Clock::time_point now, size_t waiting) const;

  private:
    // When the first `bytes` of the busy period have been earned.
    Clock::time_point DueAt(uint64_t bytes) const;

    uint32_t rate = 0;
    bool active = false;
    Clock::time_point start;
    uint64_t sent = 0;
    // When the last busy period's bytes were all earned: credit counts from here.
    Clock::time_point quietSince;
};

} // namespace vboard
