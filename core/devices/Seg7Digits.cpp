#include "core/devices/Seg7Digits.h"

int StepSeg7Digit(int digit, bool up) {
    return (digit + (up ? 1 : 15)) & 0xF;
}

uint32_t PackSeg7Digits(const Seg7Digits& digits) {
    uint32_t value = 0;
    for (int d = 0; d < kSeg7DigitCount; ++d)
        value |= (static_cast<uint32_t>(digits[d]) & 0xF) << (4 * d);
    return value;
}
