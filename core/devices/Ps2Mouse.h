#pragma once
#include <cstdint>
#include <vector>

#include "core/devices/DeviceResult.h"

// The PS/2 mouse as the board reports it: 4-byte reports (status, dx, dy,
// unused), integrated into a pointer on a 1024 x 768 area whose y grows upward.

inline constexpr int kMouseAreaWidth = 1024;
inline constexpr int kMouseAreaHeight = 768;
inline constexpr uint32_t kMouseReportSize = 4;

struct TMousePointer {
    int32_t x = 0;
    int32_t y = 0;
    int buttons = 0; // bit 0 left, bit 1 right
};

// Where Start puts the pointer: the middle of the area.
TMousePointer CentredPointer();

// Only whole reports are read; anything else in a reply is ignored whole.
bool IsWholeReports(uint32_t count);

// Applies one report. A report without the always-one bit 3 is not a report
// and changes nothing (false). The pointer stops at the area's edges.
bool ApplyMouseReport(TMousePointer& pointer, const uint8_t* report);

// The pointer's picture position in a box of the given size, for a 16-pixel
// picture: x from the left, y of the picture's top (the area's y grows upward).
struct TPicturePosition {
    int left;
    int top;
};
TPicturePosition PointerPicturePosition(const TMousePointer& pointer, int boxWidth, int boxHeight);

// "-", "L", "R" or "LR".
const char* MouseButtonsText(int buttons);

namespace kbr::devices {

// One mouse report applied: its buttons and movement, and where the pointer
// is after it.
struct TMouseReport {
    int buttons = 0; // bit 0 left, bit 1 right
    int dx = 0, dy = 0;
    TMousePointer pointer;
};

// The reports in one read, each applied to `pointer` in turn; a read that is
// not whole reports is skipped whole, as the page does, and so is anything
// that is not a report.
std::vector<TMouseReport> DecodeMouseReports(TMousePointer& pointer, const uint8_t* data,
                                             uint32_t count);

// The mouse reports since the last read, applied to `pointer`. `watch`
// watches the PS/2 channel, its mode switched on.
TDeviceValue<std::vector<TMouseReport>> ReadMouseReports(TBoardConnection& connection,
                                                         TDeviceWatch& watch,
                                                         TMousePointer& pointer);

// The self test's "ps2" area: its monitoring mode goes on and off.
void CheckPs2(TCheckRun& run);

} // namespace kbr::devices
