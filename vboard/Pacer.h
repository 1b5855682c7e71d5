#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace vboard {

// Lets bytes pass at a fixed rate, like a slow UART. A busy period starts with
// the first byte that waits; allowances are counted from its start, so the
// rate is exact whatever the wake-up jitter. Like the UART's FIFO, a busy
// period may begin with one FIFO's worth at once. While nothing waits the
// period ends and no credit piles up.
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
    void Idle() { active = false; }
    // When to look again: the next byte's time, but no sooner than a tick from `now`.
    Clock::time_point NextAt(Clock::time_point now) const;

  private:
    uint32_t rate = 0;
    bool active = false;
    Clock::time_point start;
    uint64_t sent = 0;
};

} // namespace vboard
