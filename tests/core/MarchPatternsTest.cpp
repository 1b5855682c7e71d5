// The pure pieces of the memory checks that a board run does not reach: how
// wrong bytes become a bounded list of faults, and the flash's sectors for
// any step count a board may report.
#include <gtest/gtest.h>

#include "core/jobs/MarchTest.h"

TEST(MarchPatterns, FaultsNameEachWrongBitOnceAndStopListingAtTheLimit) {
    TFaultList list(3);
    list.CompareByte(0x10, 0x00, 0x00);
    EXPECT_TRUE(list.Empty());
    list.CompareByte(0x10, 0xFF, 0xF5); // bits 1 and 3
    list.CompareByte(0x10, 0x00, 0x0A); // the same bits, read wrong the other way
    ASSERT_EQ(list.faults.size(), 2u);
    EXPECT_EQ(list.total, 2u);
    EXPECT_EQ(list.faults[0].address, 0x10u);
    EXPECT_EQ(list.faults[0].bit, 1);
    EXPECT_EQ(list.faults[0].expected, 0xFF);
    EXPECT_EQ(list.faults[0].read, 0xF5);
    EXPECT_EQ(list.faults[1].bit, 3);

    const uint8_t read[4] = {0x00, 0x01, 0x00, 0x80};
    list.CompareFill(0x20, 0x00, read, 4);
    list.Add({.address = 0x40, .expected = 0xAA, .read = 0x55, .line = 6});
    EXPECT_EQ(list.faults.size(), 3u);
    EXPECT_EQ(list.faults[2].address, 0x21u);
    EXPECT_EQ(list.total, 5u);
}

TEST(MarchPatterns, SectorsCoverTheFlashWithoutGapsForAnyStepCount) {
    const uint32_t size = 8u << 20;
    for (uint32_t steps : {1u, 3u, 64u, 1000u}) {
        EXPECT_EQ(SectorStart(size, steps, 0), 0u);
        EXPECT_EQ(SectorStart(size, steps, steps), size);
        for (uint32_t s = 0; s < steps; s += 1 + steps / 7) {
            EXPECT_EQ(SectorOf(size, steps, SectorStart(size, steps, s)), s) << steps;
            EXPECT_EQ(SectorOf(size, steps, SectorStart(size, steps, s + 1) - 1), s) << steps;
        }
    }
}
