#pragma once
#include <cstdint>

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
