#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/devices/DeviceResult.h"

// The text that puts two lines on the board's character LCD.

// Characters per display line; the page's edits take no more.
inline constexpr size_t kLcdLineLength = 16;

// "line0\nline1\n" and the terminating zero byte, which the board needs to
// end the text: the bytes to send, as they are (no padding, no check).
std::vector<uint8_t> LcdText(const std::string& line0, const std::string& line1);

namespace kbr::devices {

// Why `line` (line `number`, 0 or 1) cannot stand on the display: too long,
// or a control character (a line feed would move text to the other line);
// empty when it can.
std::string LcdLineFault(const std::string& line, int number);

// Puts the two lines on the display, as they are; check them with
// LcdLineFault first.
TDeviceResult SetLcdText(TBoardConnection& connection, const std::string& line0,
                         const std::string& line1);

// The self test's "lcd" area: a text on both lines.
void CheckLcd(TCheckRun& run);

} // namespace kbr::devices
