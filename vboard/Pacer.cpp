#include "vboard/Pacer.h"

#include <algorithm>
#include <cstdint>

namespace vboard {

using std::chrono::duration_cast;
using std::chrono::nanoseconds;

void TPacer::SetRate(uint32_t bytesPerSecond) {
    rate = bytesPerSecond;
    active = false;
    quietSince = Clock::time_point::min();
}

void TPacer::Idle() {
    if (active)
        quietSince = DueAt(sent);
    active = false;
}

size_t TPacer::Allowance(Clock::time_point now) {
    if (!rate)
        return SIZE_MAX;
    if (!active) {
        active = true;
        // Back-date the period by the credit the quiet line has earned, at
        // most one FIFO's worth.
        const auto fifo = nanoseconds(static_cast<int64_t>(kFifoBytes * 1000000000u / rate));
        start = std::min(now, std::max(now - fifo, quietSince));
        sent = 0;
    }
    auto elapsed = duration_cast<nanoseconds>(now - start).count();
    auto earned = uint64_t(static_cast<unsigned __int128>(elapsed) * rate / 1000000000u);
    return earned > sent ? size_t(earned - sent) : 0;
}

TPacer::Clock::time_point TPacer::DueAt(uint64_t bytes) const {
    return start + nanoseconds(uint64_t(
                       (static_cast<unsigned __int128>(bytes) * 1000000000u + rate - 1) / rate));
}

TPacer::Clock::time_point TPacer::NextAt(Clock::time_point now, size_t waiting) const {
    if (!rate || !active || waiting == 0)
        return now;
    return std::max(DueAt(sent + 1), std::min(DueAt(sent + waiting), now + kTick));
}

} // namespace vboard
