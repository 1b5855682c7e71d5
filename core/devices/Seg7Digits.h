#pragma once
#include <array>
#include <cstdint>

#include "core/devices/DeviceResult.h"

// The eight hexadecimal digits of the 7-segment display as the board takes
// them: digit d in bits 4d to 4d + 3, digit 7 in the top nibble.
inline constexpr int kSeg7DigitCount = 8;
// Every digit shows 8 until the user steps it.
inline constexpr int kSeg7StartDigit = 8;

using Seg7Digits = std::array<int, kSeg7DigitCount>;

// One arrow step through 0 to F, wrapping at both ends.
int StepSeg7Digit(int digit, bool up);

uint32_t PackSeg7Digits(const Seg7Digits& digits);

namespace kbr::devices {

// Shows `value` on the eight digits (digit d in bits 4d to 4d + 3); `extra`
// is the byte the board takes beside them (the panel sends 0).
TDeviceResult SetSeg7(TBoardConnection& connection, uint32_t value, uint8_t extra = 0);

// The self test's "seg7" area: every digit through 0-F.
void CheckSeg7(TCheckRun& run);

} // namespace kbr::devices
