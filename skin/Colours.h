#pragma once
#include <cstdint>

// The colours of the shell and the pages, as Windows 0x00BBGGRR values.
namespace colours {
constexpr uint32_t Green = 0x008000;  // success, and an empty info line
constexpr uint32_t Yellow = 0x00F6FF; // waiting and progress texts
constexpr uint32_t Red = 0x0000FF;    // failures
constexpr uint32_t StatusStart = 0x30FF00;
constexpr uint32_t Frame = 0x00FFFF; // device frames on the board picture
} // namespace colours
