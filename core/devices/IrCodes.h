#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/devices/DeviceResult.h"

// The IR receiver's scan codes: the history of the last eight, and the remote
// control's 24 keys, four to a row, each lit by one scan code.

inline constexpr int kIrHistorySize = 8;
inline constexpr int kIrKeyCount = 24;
inline constexpr int kIrKeyColumns = 4;

struct TIrHistory {
    uint8_t codes[kIrHistorySize] = {};
    int count = 0; // oldest first
};

// Keeps the newest codes in arrival order, at most eight of them.
void AddIrCodes(TIrHistory& history, const uint8_t* codes, uint32_t count);

// One line per code, oldest first: two upper-case hex digits and a line feed.
std::string IrHistoryText(const TIrHistory& history);

// The first key lit by `code`, or -1 when no key sends it.
int IrKeyOfCode(uint8_t code);
// The label printed on key `key` of the remote.
const char* IrKeyLabel(int key);

// Key `key`'s 18 x 18 square on the page: left, top, right, bottom (right and
// bottom exclusive).
struct TKeyRect {
    int left, top, right, bottom;
};
TKeyRect IrKeyRect(int key);

// A key's light after one more tick: it drops by 15 and goes dark at 150 or below.
uint8_t FadeIrLight(uint8_t level);

namespace kbr::devices {

// A scan code and the remote's key it stands for (-1: none).
struct TIrCode {
    uint8_t code = 0;
    int key = -1;
};
std::vector<TIrCode> DecodeIrCodes(const uint8_t* codes, uint32_t count);

// The scan codes received since the last read. `watch` watches the IR
// channel, its mode switched on.
TDeviceValue<std::vector<TIrCode>> ReadIrCodes(TBoardConnection& connection, TDeviceWatch& watch);

// The self test's "ir" area: its monitoring mode goes on and off.
void CheckIr(TCheckRun& run);

} // namespace kbr::devices
