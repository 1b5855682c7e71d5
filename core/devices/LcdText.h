#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The text that puts two lines on the board's character LCD.

// Characters per display line; the page's edits take no more.
inline constexpr size_t kLcdLineLength = 16;

// "line0\nline1\n" and the terminating zero byte, which the board needs to
// end the text: the bytes to send, as they are (no padding, no check).
std::vector<uint8_t> LcdText(const std::string& line0, const std::string& line1);
