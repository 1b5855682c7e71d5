// The self test's run through its host, against a real virtual board: the
// person's answers come from the host's Ask, and a stop the host asks for
// ends the run where it is, with the report saying so.
#include <gtest/gtest.h>

#include <string>

#include "board/Board.h"
#include "core/jobs/SelfTest.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TestVBoard.h"

namespace {

using Kind = TRecordingHost::Kind;
using TResult = TCheckResult::Result;

TEST(SelfTestRun, AStopAskedWhileThePersonAnswersIsNoAnswerAndEndsTheRun) {
    TestVBoard vboard;
    TBoard board;
    std::string error;
    ASSERT_TRUE(board.Connect(error, 0)) << error;

    TRecordingHost host;
    bool stop = false;
    host.Stop = [&] { return stop; };
    host.Answer = [&](const std::string&) {
        stop = true; // the user stops the run while the question is open
        return true;
    };
    TSelfTest::TOptions options;
    options.areas = {"lcd", "vga"};
    options.interactive = true;
    std::vector<std::string> heard;
    TSelfTestReport report;
    TSelfTest(board, options, host).Run(report, [&](const TCheckResult& c) {
        heard.push_back(c.area + ": " + c.name);
    });

    const auto asked = host.Of(Kind::Ask);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Does the LCD show \"KBR-370 selftest\" above \"0123456789ABCDEF\"?");
    ASSERT_EQ(report.checks.size(), 1u);
    EXPECT_EQ(report.checks[0].result, TResult::Skipped);
    EXPECT_EQ(report.checks[0].message, "Stopped before it was answered.");
    EXPECT_EQ(heard, std::vector<std::string>{"lcd: text"});
    EXPECT_FALSE(report.completed);
    EXPECT_EQ(report.stopReason, "Stopped after lcd: text.");
    // The stop was asked before the check began, and again right after the answer.
    const auto stops = host.Of(Kind::Stop);
    ASSERT_GE(stops.size(), 2u);
    EXPECT_FALSE(stops.front().answer);
    EXPECT_TRUE(stops.back().answer);
}

} // namespace
