#include "core/devices/IrCodes.h"
#include "core/devices/Devices.h"
#include "core/jobs/CheckRun.h"

#include <algorithm>
#include <cstdio>

namespace {

struct TIrKey {
    uint8_t code;
    const char* label;
};

// Row by row, as the keys lie on the remote.
constexpr TIrKey kKeys[kIrKeyCount] = {
    {0x0F, "A"}, {0x13, "B"}, {0x10, "C"},  {0x12, "PW"},
    {0x01, "1"}, {0x02, "2"}, {0x03, "3"},  {0x1A, "CH+"},
    {0x04, "4"}, {0x05, "5"}, {0x06, "6"},  {0x1E, "CH-"},
    {0x07, "7"}, {0x08, "8"}, {0x09, "9"},  {0x1B, "V+"},
    {0x11, "M"}, {0x00, "0"}, {0x17, "RT"}, {0x1F, "V-"},
    {0x16, ">"}, {0x14, "<<"}, {0x18, ">>"}, {0x0C, "MU"},
};

constexpr int kKeySize = 18;
constexpr uint8_t kFadeStep = 15;
constexpr uint8_t kLastLit = 150;

} // namespace

void AddIrCodes(TIrHistory& history, const uint8_t* codes, uint32_t count) {
    if (count >= static_cast<uint32_t>(kIrHistorySize)) {
        std::copy(codes + count - kIrHistorySize, codes + count, history.codes);
        history.count = kIrHistorySize;
        return;
    }
    const int n = static_cast<int>(count);
    const int drop = std::max(0, history.count + n - kIrHistorySize);
    std::copy(history.codes + drop, history.codes + history.count, history.codes);
    history.count -= drop;
    std::copy(codes, codes + n, history.codes + history.count);
    history.count += n;
}

std::string IrHistoryText(const TIrHistory& history) {
    std::string text;
    char line[4];
    for (int i = 0; i < history.count; ++i) {
        std::snprintf(line, sizeof line, "%02X\n", history.codes[i]);
        text += line;
    }
    return text;
}

int IrKeyOfCode(uint8_t code) {
    for (int k = 0; k < kIrKeyCount; ++k)
        if (kKeys[k].code == code)
            return k;
    return -1;
}

const char* IrKeyLabel(int key) {
    return key >= 0 && key < kIrKeyCount ? kKeys[key].label : "";
}

TKeyRect IrKeyRect(int key) {
    const int left = 235 + 23 * (key % kIrKeyColumns);
    const int top = 67 + 24 * (key / kIrKeyColumns);
    return {left, top, left + kKeySize, top + kKeySize};
}

uint8_t FadeIrLight(uint8_t level) {
    if (level == 0 || level <= kLastLit)
        return 0;
    return static_cast<uint8_t>(level - kFadeStep);
}

namespace kbr::devices {

std::vector<TIrCode> DecodeIrCodes(const uint8_t* codes, uint32_t count) {
    std::vector<TIrCode> decoded;
    for (uint32_t i = 0; i < count; ++i)
        decoded.push_back({codes[i], IrKeyOfCode(codes[i])});
    return decoded;
}

TDeviceValue<std::vector<TIrCode>> ReadIrCodes(TBoardConnection& connection, TDeviceWatch& watch) {
    const auto read = PollWatch(connection, watch, DeviceRow("IR"));
    if (!read.Ok())
        return TDeviceResult(read);
    return {TDeviceResult::Done(),
            DecodeIrCodes(read.value.data(), static_cast<uint32_t>(read.value.size()))};
}

void CheckIr(TCheckRun& run) {
    run.Monitoring("ir", kIr.channel, kIr.refused);
}

} // namespace kbr::devices
