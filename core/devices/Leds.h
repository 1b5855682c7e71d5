#pragma once
#include <cstdint>

#include "core/devices/DeviceResult.h"

class TBoardConnection;

// The board's 27 red and green LEDs.
namespace kbr::devices {

inline constexpr int kLedCount = 27;
// Every LED lit.
inline constexpr uint32_t kAllLeds = (uint32_t{1} << kLedCount) - 1;

// Lights LED i for each bit i of `bits` (bits 0-26); the others go dark.
TDeviceResult SetLeds(TBoardConnection& connection, uint32_t bits);

// The self test's "leds" area: a walking light, then all lit.
void CheckLeds(TCheckRun& run);

} // namespace kbr::devices
