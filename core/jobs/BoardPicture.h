#pragma once
#include <cstddef>

// The board as the panel draws it, for reports that show it: the PNG that the
// skin generator drew, checked in under resources/board and written as source
// at build time without Qt (kept as base64, as a data: URI takes it)
// and the frame of each device on it, in the picture's pixels (twice the
// panel's).
namespace kbr::boardpicture {

struct TDevice {
    const char* name; // "SRAM", "SDCARD", "BLASTER", ...
    int x, y, width, height;
};

extern const char kPngBase64[];
extern const int kWidth;
extern const int kHeight;
extern const TDevice kDevices[];
extern const size_t kDeviceCount;

} // namespace kbr::boardpicture
