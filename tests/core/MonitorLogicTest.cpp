// The monitor pages' logic without pixels, which kbr370 shares: the mouse
// pointer's integration, the IR history and keys, and RS232 text as bytes.
#include <gtest/gtest.h>

#include "core/devices/IrCodes.h"
#include "core/devices/Ps2Mouse.h"
#include "core/devices/Rs232Text.h"

namespace {

TEST(MouseLogic, ReportsMoveThePointerWithinTheAreaAndMapIntoTheBox) {
    TMousePointer p = CentredPointer();
    const uint8_t invalid[4] = {0x01, 0x05, 0x05, 0};
    EXPECT_FALSE(ApplyMouseReport(p, invalid));
    EXPECT_EQ(p.x, 512);
    EXPECT_EQ(p.buttons, 0);

    const uint8_t farLeftDown[4] = {0x0B, 0x80, 0x80, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(ApplyMouseReport(p, farLeftDown));
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.buttons, 3);
    EXPECT_STREQ(MouseButtonsText(p.buttons), "LR");

    const uint8_t farRightUp[4] = {0x08, 0x7F, 0x7F, 0};
    for (int i = 0; i < 9; ++i)
        ApplyMouseReport(p, farRightUp);
    EXPECT_EQ(p.x, 1023);
    EXPECT_EQ(p.y, 767);

    // The enlarged box (337 x 169): X 0..1023 to 0..320, Y 0..767 to top 152..0.
    auto at = [](int x, int y) {
        const TPicturePosition pos = PointerPicturePosition({x, y, 0}, 337, 169);
        return std::make_pair(pos.left, pos.top);
    };
    EXPECT_EQ(at(512, 384), std::make_pair(160, 76));
    EXPECT_EQ(at(0, 0), std::make_pair(0, 152));
    EXPECT_EQ(at(1023, 767), std::make_pair(320, 0));

    EXPECT_FALSE(IsWholeReports(0));
    EXPECT_FALSE(IsWholeReports(6));
    EXPECT_TRUE(IsWholeReports(128));
}

TEST(IrLogic, HistoryKeepsTheNewestEightInArrivalOrder) {
    TIrHistory h;
    const uint8_t first[] = {1, 2, 3, 4, 5, 6, 7, 8};
    AddIrCodes(h, first, 3);
    EXPECT_EQ(IrHistoryText(h), "01\n02\n03\n");
    AddIrCodes(h, first + 3, 5);
    const uint8_t two[] = {0xAB, 0x00};
    AddIrCodes(h, two, 2);
    EXPECT_EQ(IrHistoryText(h), "03\n04\n05\n06\n07\n08\nAB\n00\n") << "exactly the two oldest go";
    const uint8_t ten[] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    AddIrCodes(h, ten, 10);
    EXPECT_EQ(IrHistoryText(h), "0C\n0D\n0E\n0F\n10\n11\n12\n13\n");

    EXPECT_EQ(IrKeyOfCode(0x05), 2 * 4 + 1);
    EXPECT_EQ(IrKeyOfCode(0x00), 4 * 4 + 1);
    EXPECT_EQ(IrKeyOfCode(0x0C), 23);
    EXPECT_EQ(IrKeyOfCode(0x40), -1);
    EXPECT_STREQ(IrKeyLabel(IrKeyOfCode(0x00)), "0");
    const TKeyRect r = IrKeyRect(23);
    EXPECT_EQ(r.left, 235 + 69);
    EXPECT_EQ(r.bottom, 67 + 120 + 18);

    std::vector<int> levels;
    for (uint8_t v = 255; v != 0; v = FadeIrLight(v))
        levels.push_back(v);
    EXPECT_EQ(levels, (std::vector<int>{255, 240, 225, 210, 195, 180, 165, 150}));
    EXPECT_EQ(FadeIrLight(1), 0);
}

TEST(Rs232Logic, BytesStayBytes) {
    EXPECT_EQ(Rs232TransmitBytes("AB"), (std::vector<uint8_t>{0x41, 0x42, 0x00}));
    EXPECT_EQ(Rs232TransmitBytes(""), (std::vector<uint8_t>{0x00}));
    const uint8_t rx[] = {'x', 0xE9, 0x00, 'y'};
    EXPECT_EQ(Rs232StreamText(rx, 4), "x\xE9y");
    EXPECT_EQ(Rs232StreamText(rx, 0), "");
    EXPECT_EQ(EscapeForTerminal("a\\b\n\t\r\x1B\xE9"), "a\\\\b\n\t\\x0D\\x1B\\xE9");
}

} // namespace
