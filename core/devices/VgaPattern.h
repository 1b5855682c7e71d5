#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/devices/DeviceResult.h"

// The VGA test patterns of the companion design; the index is the byte sent
// on the VGA channel.
inline constexpr std::array<const char*, 6> kVgaPatternNames = {"Scale", "Red",   "Green",
                                                                "Blue",  "White", "Black"};
inline constexpr int kVgaPatternCount = static_cast<int>(kVgaPatternNames.size());

// The "Scale" preview is a grid of ramps: red, green, blue and grey rows.
inline constexpr int kVgaScaleRows = 4;
inline constexpr int kVgaScaleColumns = 40;

struct VgaRgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const VgaRgb&, const VgaRgb&) = default;
};

// The preview colour of a cell: for the single-colour patterns every cell has
// the pattern's colour; for "Scale" row r, column c climbs in steps of 16 and
// starts again at 0 every 16 columns. Out-of-range pattern: black.
VgaRgb VgaPreviewColour(int pattern, int row, int column);

// Where cell `index` of `count` begins along a side of `size` pixels; cell i
// spans [VgaCellStart(size, i, n), VgaCellStart(size, i + 1, n)).
constexpr int VgaCellStart(int size, int index, int count) {
    return size * index / count;
}

// "0".."5" or a pattern name in any letter case; nothing for anything else.
std::optional<int> ParseVgaPattern(std::string_view text);

namespace kbr::devices {

// Shows test pattern `pattern` (0 to kVgaPatternCount - 1) on the VGA output.
TDeviceResult SetVgaPattern(TBoardConnection& connection, uint8_t pattern);

// The self test's "vga" area: the six patterns.
void CheckVga(TCheckRun& run);

} // namespace kbr::devices
