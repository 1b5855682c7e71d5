// The serial terminal's plain logic: what typed keys send, and how received
// bytes are shown.
#include <gtest/gtest.h>

#include <string>

#include "cli/SerialTerminal.h"

namespace {

std::string Show(TReceivedView& view, const std::string& bytes) {
    return view.Take(reinterpret_cast<const uint8_t*>(bytes.data()),
                     static_cast<uint32_t>(bytes.size()));
}

TEST(SerialTerminalKeys, EscapeKeyAndEnterFromATerminal) {
    TTerminalKeys keys(true, EnterBytes("crlf"));
    // Ctrl-C is a byte like any other; Enter (CR) becomes CR LF; zero bytes
    // cannot be carried and are left out.
    TKeyAction a = keys.Take(std::string("ab\x03\r", 4) + std::string(1, '\0') + "c");
    EXPECT_EQ(a.send, "ab\x03\r\nc");
    EXPECT_FALSE(a.quit || a.help);

    // The escape key's second key may come in the next read; doubled, it sends itself.
    a = keys.Take("x\x1D");
    EXPECT_EQ(a.send, "x");
    a = keys.Take("\x1D"
                  "y");
    EXPECT_EQ(a.send, "\x1D"
                      "y");

    // Any other second key shows the keys and sends nothing of itself.
    a = keys.Take("\x1D?z");
    EXPECT_TRUE(a.help);
    EXPECT_EQ(a.send, "z");

    // q quits; what was typed before it still goes, what follows does not.
    a = keys.Take("k\x1Dqrest");
    EXPECT_TRUE(a.quit);
    EXPECT_EQ(a.send, "k");
}

TEST(SerialTerminalKeys, APipeIsDataWithLineFeedsForEnter) {
    TTerminalKeys plain(false, std::nullopt);
    EXPECT_EQ(plain.Take("a\x1Dq\r\n").send, "a\x1Dq\r\n");
    EXPECT_FALSE(plain.Take("\x1Dq").quit);

    TTerminalKeys mapped(false, EnterBytes("cr"));
    EXPECT_EQ(mapped.Take("one\ntwo\r").send, "one\rtwo\r");
}

TEST(SerialTerminalView, CrLfAcrossReadsTimestampsAndRawBytes) {
    int stamps = 0;
    TReceivedView view({false, true, true},
                       [&stamps] { return "[" + std::to_string(++stamps) + "] "; });
    // A CR LF split between two reads is still one line feed; a lone CR is
    // shown escaped once the next read shows it is not followed by LF.
    EXPECT_EQ(Show(view, "ab\r"), "[1] ab");
    EXPECT_EQ(Show(view, "\ncd\r"), "\n[2] cd");
    EXPECT_EQ(Show(view, "e\x01"), "\\x0De\\x01");
    // A line's time is taken when its first character arrives, not at the line feed.
    EXPECT_EQ(Show(view, "\n"), "\n");
    EXPECT_EQ(stamps, 2);
    EXPECT_EQ(Show(view, "\r"), "");
    EXPECT_EQ(view.Take(nullptr, 0), "[3] \\x0D"); // an empty read lets a held CR out
    EXPECT_EQ(Show(view, "\r"), "");
    EXPECT_EQ(view.Finish(), "\\x0D");

    // Raw: every byte as it came, zero bytes too; CR LF left alone without the mapping.
    TReceivedView raw({true, false, false});
    const std::string binary("\x00\xFF\r\n\\", 5);
    EXPECT_EQ(Show(raw, binary), binary);
    EXPECT_EQ(raw.Finish(), "");

    // Escaped: zero bytes only end texts.
    TReceivedView escaped({false, false, false});
    EXPECT_EQ(Show(escaped, std::string("hi\0\r\n", 5)), "hi\\x0D\n");
}

} // namespace
