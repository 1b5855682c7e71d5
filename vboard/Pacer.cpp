#include "vboard/Pacer.h"

#include <algorithm>
#include <cstdint>

namespace vboard {

using std::chrono::duration_cast;
using std::chrono::nanoseconds;

void TPacer::SetRate(uint32_t bytesPerSecond) {
    rate = bytesPerSecond;
    active = false;
}

size_t TPacer::Allowance(Clock::time_point now) {
    if (!rate)
        return SIZE_MAX;
    if (!active) {
        active = true;
        // Back-date the period by one FIFO's worth, so a short frame leaves at
        // once instead of a tick later.
        start = now - nanoseconds(static_cast<int64_t>(kFifoBytes * 1000000000u / rate));
        sent = 0;
    }
    auto elapsed = duration_cast<nanoseconds>(now - start).count();
    auto earned = uint64_t(static_cast<unsigned __int128>(elapsed) * rate / 1000000000u);
    return earned > sent ? size_t(earned - sent) : 0;
}

TPacer::Clock::time_point TPacer::NextAt(Clock::time_point now) const {
    if (!rate || !active)
        return now;
    uint64_t ns =
        uint64_t((static_cast<unsigned __int128>(sent + 1) * 1000000000u + rate - 1) / rate);
    return std::max(start + nanoseconds(ns), now + kTick);
}

} // namespace vboard
