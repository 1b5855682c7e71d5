// How the serial terminal shows what the port received, read by read.
#include <gtest/gtest.h>

#include <string>

#include "cli/SerialTerminal.h"

namespace {

std::string Show(TReceivedView& view, const std::string& bytes) {
    return view.Take(reinterpret_cast<const uint8_t*>(bytes.data()),
                     static_cast<uint32_t>(bytes.size()));
}

TEST(SerialTerminalView, CrLfAndLineTimesAcrossReads) {
    int stamps = 0;
    TReceivedView view({false, true, true},
                       [&stamps] { return "[" + std::to_string(++stamps) + "] "; });
    // A CR LF split between two reads is still one line feed; a lone CR is
    // shown once the next read shows it is not followed by LF.
    EXPECT_EQ(Show(view, "ab\r"), "[1] ab");
    EXPECT_EQ(Show(view, "\ncd\r"), "\n[2] cd");
    EXPECT_EQ(Show(view, "e\n"), "\\x0De\n");
    // A line's time is taken when its first character arrives, not at the line feed.
    EXPECT_EQ(stamps, 2);
    EXPECT_EQ(Show(view, "\r"), "");
    EXPECT_EQ(view.Take(nullptr, 0), "[3] \\x0D"); // an empty read lets a held CR out
    EXPECT_EQ(Show(view, "\r"), "");
    EXPECT_EQ(view.Finish(), "\\x0D");
}

} // namespace
