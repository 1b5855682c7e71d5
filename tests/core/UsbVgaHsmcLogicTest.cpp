// The texts and colours behind the USB, VGA and HSMC pages (and kbr370).
#include <gtest/gtest.h>

#include "core/devices/HsmcReport.h"
#include "core/devices/UsbDevice.h"
#include "core/devices/VgaPattern.h"

namespace {

TEST(UsbDevice, KnownKindsAreNamedOthersAreNot) {
    const struct {
        int kind;
        const char* port;
        const char* word;
    } cases[] = {{0, "\r\n", "none"},
                 {1, "\r\nUSB Mouse", "mouse"},
                 {2, "\r\nUSB Storage", "storage"},
                 {3, "\r\nUSB Device", "other"},
                 {4, "\r\n", "kind 4"},
                 {255, "\r\n", "kind 255"},
                 {-1, "\r\n", "kind -1"}};
    for (const auto& c : cases) {
        EXPECT_EQ(UsbPortText(c.kind), c.port) << c.kind;
        EXPECT_EQ(UsbKindWord(c.kind), c.word) << c.kind;
    }
}

TEST(VgaPattern, ScaleRampsRestartEverySixteenColumns) {
    for (int row = 0; row < kVgaScaleRows; ++row) {
        SCOPED_TRACE(row);
        for (int column : {0, 16, 32})
            EXPECT_EQ(VgaPreviewColour(0, row, column), (VgaRgb{0, 0, 0}));
        const VgaRgb top = VgaPreviewColour(0, row, 15);
        const VgaRgb want[] = {{240, 0, 0}, {0, 240, 0}, {0, 0, 240}, {240, 240, 240}};
        EXPECT_EQ(top, want[row]);
        EXPECT_EQ(VgaPreviewColour(0, row, 39), VgaPreviewColour(0, row, 7));
    }
    // Cells of a 329-pixel image: truncated bounds, the last one ends at the edge.
    EXPECT_EQ(VgaCellStart(329, 1, 40), 8);
    EXPECT_EQ(VgaCellStart(329, 20, 40), 164);
    EXPECT_EQ(VgaCellStart(329, 40, 40), 329);
}

TEST(VgaPattern, PlainColoursAndNames) {
    EXPECT_EQ(VgaPreviewColour(1, 2, 5), (VgaRgb{0xFF, 0, 0}));
    EXPECT_EQ(VgaPreviewColour(2, 0, 0), (VgaRgb{0, 0x80, 0})) << "half-bright green";
    EXPECT_EQ(VgaPreviewColour(3, 3, 39), (VgaRgb{0, 0, 0xFF}));
    EXPECT_EQ(VgaPreviewColour(4, 1, 1), (VgaRgb{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(VgaPreviewColour(5, 1, 1), (VgaRgb{0, 0, 0}));

    EXPECT_EQ(ParseVgaPattern("0"), 0);
    EXPECT_EQ(ParseVgaPattern("5"), 5);
    EXPECT_EQ(ParseVgaPattern("Scale"), 0);
    EXPECT_EQ(ParseVgaPattern("green"), 2);
    EXPECT_EQ(ParseVgaPattern("BLACK"), 5);
    for (const char* bad : {"6", "-1", "00", "", " 1", "Scal", "Greenish", "0x1"})
        EXPECT_EQ(ParseVgaPattern(bad), std::nullopt) << '"' << bad << '"';
}

TEST(HsmcReport, PinNumbersFollowTheConnector) {
    EXPECT_EQ(HsmcTransceiverLine(0), "HSMC Pin 31/29-32/30    \r\n");
    EXPECT_EQ(HsmcTransceiverLine(3), "HSMC Pin 19/17-20/18    \r\n");
    const std::pair<int, const char*> pairs[] = {{0, "41-42"},   {1, "43-44"}, {2, "47-48"},
                                                 {3, "49-50"},   {4, "53-54"}, {38, "155-156"},
                                                 {39, "157-158"}};
    for (const auto& [bit, pins] : pairs)
        EXPECT_EQ(HsmcPinPairLine(bit), std::string("HSMC Pin ") + pins + "    \r\n");
}

TEST(HsmcReport, TextListsTransceiversThenPinPairsInRisingOrder) {
    EXPECT_TRUE(HsmcPassed(0, 0));
    EXPECT_FALSE(HsmcPassed(0x10, 0)) << "unnamed transceiver bits still fail the test";
    EXPECT_EQ(HsmcReportText(0x0A, 0x5),
              "HSMC Test:NG\r\n<Transceiver Error:>\r\n"
              "HSMC Pin 27/25-28/26    \r\nHSMC Pin 19/17-20/18    \r\n"
              "<Pio Error:>\r\nHSMC Pin 41-42    \r\nHSMC Pin 47-48    \r\n");
}

} // namespace
