// The 7-segment packing and the LCD text, which the pages and kbr370 share.
#include <gtest/gtest.h>

#include "core/devices/LcdText.h"
#include "core/devices/Seg7Digits.h"

namespace {

TEST(Seg7Digits, DigitZeroIsTheLowNibbleAndStepsWrap) {
    Seg7Digits digits;
    digits.fill(kSeg7StartDigit);
    digits[0] = StepSeg7Digit(digits[0], true);
    EXPECT_EQ(PackSeg7Digits(digits), 0x88888889u);
    digits[0] = kSeg7StartDigit;
    digits[7] = StepSeg7Digit(digits[7], false);
    EXPECT_EQ(PackSeg7Digits(digits), 0x78888888u);

    EXPECT_EQ(StepSeg7Digit(0, false), 15);
    EXPECT_EQ(StepSeg7Digit(15, true), 0);
    EXPECT_EQ(PackSeg7Digits({0xF, 0xE, 0xD, 0xC, 0xB, 0xA, 0x9, 0x0}), 0x09ABCDEFu);
}

TEST(LcdText, LinesEndInLineFeedsAndTheTextInAZeroByte) {
    const std::vector<uint8_t> text = LcdText("KBR-370", "Control Panel");
    const std::string expected("KBR-370\nControl Panel\n\0", 23);
    EXPECT_EQ(std::string(text.begin(), text.end()), expected);
    EXPECT_EQ(LcdText("", ""), (std::vector<uint8_t>{0x0A, 0x0A, 0x00}));
    EXPECT_EQ(LcdText("0123456789ABCDEF", "0123456789ABCDEF").size(), 35u);
}

} // namespace
