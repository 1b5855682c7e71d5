#include "core/devices/Ps2Mouse.h"
#include "core/devices/Devices.h"
#include "core/jobs/CheckRun.h"

#include <algorithm>

namespace {

constexpr uint8_t kAlwaysOne = 0x08;
constexpr int kPicture = 16;

} // namespace

TMousePointer CentredPointer() {
    return {kMouseAreaWidth / 2, kMouseAreaHeight / 2, 0};
}

bool IsWholeReports(uint32_t count) {
    return count != 0 && count % kMouseReportSize == 0;
}

bool ApplyMouseReport(TMousePointer& pointer, const uint8_t* report) {
    if ((report[0] & kAlwaysOne) == 0)
        return false;
    pointer.x = std::clamp(pointer.x + static_cast<int8_t>(report[1]), 0, kMouseAreaWidth - 1);
    pointer.y = std::clamp(pointer.y + static_cast<int8_t>(report[2]), 0, kMouseAreaHeight - 1);
    pointer.buttons = report[0] & 3;
    return true;
}

TPicturePosition PointerPicturePosition(const TMousePointer& pointer, int boxWidth,
                                        int boxHeight) {
    const int px = pointer.x * (boxWidth - kPicture) / kMouseAreaWidth;
    const int py = pointer.y * (boxHeight - kPicture) / kMouseAreaHeight;
    return {px, boxHeight - py - (kPicture + 1)};
}

const char* MouseButtonsText(int buttons) {
    static const char* const kTexts[] = {"-", "L", "R", "LR"};
    return kTexts[buttons & 3];
}

namespace kbr::devices {

std::vector<TMouseReport> DecodeMouseReports(TMousePointer& pointer, const uint8_t* data,
                                             uint32_t count) {
    std::vector<TMouseReport> reports;
    if (!IsWholeReports(count))
        return reports;
    for (uint32_t at = 0; at < count; at += kMouseReportSize)
        if (ApplyMouseReport(pointer, data + at))
            reports.push_back({pointer.buttons, static_cast<int8_t>(data[at + 1]),
                               static_cast<int8_t>(data[at + 2]), pointer});
    return reports;
}

TDeviceValue<std::vector<TMouseReport>> ReadMouseReports(TBoardConnection& connection,
                                                         TDeviceWatch& watch,
                                                         TMousePointer& pointer) {
    const auto read = PollWatch(connection, watch, DeviceRow("PS2"));
    if (!read.Ok())
        return TDeviceResult(read);
    return {TDeviceResult::Done(),
            DecodeMouseReports(pointer, read.value.data(), static_cast<uint32_t>(read.value.size()))};
}

void CheckPs2(TCheckRun& run) {
    run.Monitoring("ps2", kPs2.channel, kPs2.refused);
}

} // namespace kbr::devices
