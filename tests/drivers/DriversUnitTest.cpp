// The status reply, on which every open and download decides.
#include <gtest/gtest.h>

#include "drivers/common/VBoardStatus.h"

namespace {

using drivers::VBoardStatus;

TEST(VBoardStatus, ParsesEveryCombination) {
    auto s = VBoardStatus::Parse("ok configured=0 link=closed");
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->configured);
    EXPECT_FALSE(s->linkOpen);

    s = VBoardStatus::Parse("ok configured=1 link=open");
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->configured);
    EXPECT_TRUE(s->linkOpen);

    // Order and extra values the board may add later do not matter.
    s = VBoardStatus::Parse("ok  link=closed rate=off configured=1");
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->configured);
    EXPECT_FALSE(s->linkOpen);
}

TEST(VBoardStatus, RejectsWhatItCannotTrust) {
    for (const char* reply : {"", "ok", "error no reply", "okconfigured=1 link=open",
                              "ok configured=1", "ok link=open", "ok configured=yes link=open",
                              "ok configured=1 link=maybe", "error configured=1 link=open"})
        EXPECT_FALSE(VBoardStatus::Parse(reply)) << '"' << reply << '"';
}

} // namespace
