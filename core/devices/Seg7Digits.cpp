#include "core/devices/Seg7Digits.h"

#include "board/Board.h"
#include "core/BoardConnection.h"

int StepSeg7Digit(int digit, bool up) {
    return (digit + (up ? 1 : 15)) & 0xF;
}

uint32_t PackSeg7Digits(const Seg7Digits& digits) {
    uint32_t value = 0;
    for (int d = 0; d < kSeg7DigitCount; ++d)
        value |= (static_cast<uint32_t>(digits[d]) & 0xF) << (4 * d);
    return value;
}

namespace kbr::devices {

TDeviceResult SetSeg7(TBoardConnection& connection, uint32_t value, uint8_t extra) {
    return RunPlain(connection, DeviceRow("SEG7"), [&](TBoard& b) { return b.SetSeg7(value, extra); });
}

} // namespace kbr::devices
