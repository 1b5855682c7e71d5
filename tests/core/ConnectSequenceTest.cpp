// The connection sequence against a blank virtual board, seen through a
// recorder: what it says, in which order, and what the gauge is told.
#include <gtest/gtest.h>

#include <cstdlib>

#include "board/Board.h"
#include "core/ConnectSequence.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TestVBoard.h"

namespace {

using Kind = TRecordingHost::Kind;
using Tone = THost::Tone;

TEST(ConnectSequence, BlankBoardIsConfiguredInGaugeStepsOrToldWhyNot) {
    TestVBoard vb(false);
    TBoard board;
    {
        setenv("KBR370_DESIGN", "/nonexistent/nosuch.sof", 1);
        TRecordingHost record;
        EXPECT_FALSE(TConnectSequence(board, record).Connect());
        unsetenv("KBR370_DESIGN");
        const auto boxes = record.Of(Kind::Box);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].box, platform::MessageKind::Error);
        EXPECT_EQ(boxes[0].text, "Can not find the file: nosuch.sof");
        // The gauge stops before the box shows, and goes at the end.
        const auto& events = record.Events;
        const auto box = std::find_if(events.begin(), events.end(),
                                      [](const auto& e) { return e.kind == Kind::Box; });
        EXPECT_EQ(std::prev(box)->kind, Kind::Hold);
        EXPECT_EQ(events.back().kind, Kind::End);
        const auto infos = record.Of(Kind::Info, true);
        EXPECT_EQ(infos.back().text, "Configure FPGA fail");
        EXPECT_EQ(infos.back().tone, Tone::Failure);
        EXPECT_EQ(record.Of(Kind::Status).back().text, "Disconnected");
        EXPECT_EQ(vb.CtlOk("status").substr(0, 12), "configured=0");
    }

    TRecordingHost record;
    TConnectSequence sequence(board, record);
    ASSERT_TRUE(sequence.Connect());
    EXPECT_TRUE(board.IsConnected());
    EXPECT_EQ(sequence.FpgaTypeText(), "EP3C120/EP4CE115");
    EXPECT_TRUE(record.Of(Kind::Box).empty());
    const auto steps = record.Of(Kind::Progress);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(std::make_tuple(steps[0].from, steps[0].to, steps[0].expectedMs),
              std::make_tuple(0, 5, 5000u));
    EXPECT_EQ(std::make_tuple(steps[1].from, steps[1].to, steps[1].expectedMs),
              std::make_tuple(5, 95, 10000u));
    EXPECT_EQ(record.Events.back().kind, Kind::Info); // the line cleared once connected
    EXPECT_EQ(record.Of(Kind::Status).back().text, "Connected");
    EXPECT_EQ(vb.CtlOk("status").substr(0, 12), "configured=1");
}

// A misspelt cable is said in a box, before any configuring: the board stays
// blank. The case of a known name does not matter.
TEST(ConnectSequence, UnknownCableIsToldAndNothingConfigured) {
    TestVBoard vb(false);
    TBoard board;
    auto connectWith = [&board](const char* cable, TRecordingHost& record) {
        setenv("KBR370_CABLE", cable, 1);
        const bool connected = TConnectSequence(board, record).Connect();
        unsetenv("KBR370_CABLE");
        return connected;
    };
    TRecordingHost refused, accepted;
    EXPECT_FALSE(connectWith("usb-blastr", refused));
    const auto boxes = refused.Of(Kind::Box);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "unknown cable \"usb-blastr\" in KBR370_CABLE (known: virtual, usb-blaster)");
    EXPECT_EQ(refused.Of(Kind::Status).back().text, "Disconnected");
    EXPECT_EQ(vb.CtlOk("status").substr(0, 12), "configured=0");

    EXPECT_TRUE(connectWith("VIRTUAL", accepted));
    EXPECT_TRUE(accepted.Of(Kind::Box).empty());
}

// What stood in front of the window's host takes every call in order and
// passes it on unchanged, so a test sees what the user would.
TEST(RecordingHost, SeesEveryCallInOrderAndPassesItOn) {
    TRecordingHost behind;
    TRecordingHost front(&behind);
    THost& report = front;
    report.Status("Connected", Tone::Success);
    report.Progress(5, 95, 10000);
    report.Info("Configure FPGA...", Tone::Progress);
    report.ProgressHold();
    report.Box(platform::MessageKind::Warning, "careful", "Caption");
    report.Beep();
    report.ProgressEnd();
    auto kinds = [](const TRecordingHost& r) {
        std::vector<Kind> k;
        for (const auto& e : r.Events)
            k.push_back(e.kind);
        return k;
    };
    const std::vector<Kind> expected = {Kind::Status, Kind::Progress, Kind::Info, Kind::Hold,
                                        Kind::Box,    Kind::Beep,     Kind::End};
    EXPECT_EQ(kinds(front), expected);
    EXPECT_EQ(kinds(behind), expected);
    EXPECT_EQ(behind.Of(Kind::Box)[0].box, platform::MessageKind::Warning);
    EXPECT_EQ(behind.Of(Kind::Box)[0].text, "careful");
    EXPECT_EQ(behind.Of(Kind::Progress)[0].to, 95);
}

} // namespace
