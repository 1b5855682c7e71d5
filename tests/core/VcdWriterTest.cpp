// The VCD writer, read back by a parser of the format's own rules.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "core/formats/VcdWriter.h"
#include "tests/support/VcdTrace.h"

namespace {

TEST(VcdWriter, TraceReadsBackAsTheSampledLevels) {
    std::ostringstream out;
    TVcdWriter vcd(out, "board", {"key0", "key1", "sw0"}, "kbr370 test");
    EXPECT_EQ(out.str(), "") << "nothing before the first sample";
    vcd.Sample(0, 0b101);
    const std::string afterFirst = out.str();
    vcd.Sample(1000, 0b101);
    EXPECT_EQ(out.str(), afterFirst) << "a sample without a change writes nothing";
    vcd.Sample(2500, 0b011);
    vcd.Sample(2000, 0b010); // a clock that steps back stays at the last time
    vcd.Finish(4000);

    const VcdTrace trace = ParseVcd(out.str());
    ASSERT_EQ(trace.error, "") << out.str();
    EXPECT_EQ(trace.timescale, "1 us");
    EXPECT_EQ(trace.scopes, std::vector<std::string>{"board"});
    EXPECT_EQ(trace.wires, (std::vector<std::string>{"key0", "key1", "sw0"}));
    EXPECT_EQ(trace.LevelsAt(0), (std::map<std::string, char>{{"key0", '1'}, {"key1", '0'}, {"sw0", '1'}}));
    EXPECT_EQ(trace.LevelsAt(2499), trace.LevelsAt(0));
    EXPECT_EQ(trace.LevelsAt(2500), (std::map<std::string, char>{{"key0", '0'}, {"key1", '1'}, {"sw0", '0'}}));
    // Three initial levels, then only the wires that changed.
    EXPECT_EQ(trace.changes.size(), 3u + 2u + 1u);
    EXPECT_EQ(trace.lastTime, 4000u) << "the end shows how long the last levels lasted";
}

TEST(VcdWriter, CodesAndNamesStayOneTokenEach) {
    std::set<std::string> codes;
    for (size_t i = 0; i < 20000; ++i) {
        const std::string code = TVcdWriter::WireCode(i);
        for (const char c : code)
            ASSERT_TRUE(c > ' ' && c < 0x7F) << i;
        ASSERT_TRUE(codes.insert(code).second) << "code of wire " << i << " given twice";
    }

    std::ostringstream out;
    std::vector<std::string> names(64, "switch 0");
    names[1] = "";
    TVcdWriter vcd(out, "my board", names, "v");
    vcd.Sample(7, ~uint64_t{0});
    const VcdTrace trace = ParseVcd(out.str());
    ASSERT_EQ(trace.error, "") << out.str();
    EXPECT_EQ(trace.scopes, std::vector<std::string>{"my_board"});
    EXPECT_EQ(trace.wires.size(), 64u);
    EXPECT_EQ(trace.wires[0], "switch_0");
    EXPECT_EQ(trace.LevelsAt(7).at("switch_0"), '1');

    EXPECT_THROW(TVcdWriter(out, "s", std::vector<std::string>(65, "w"), "v"), std::invalid_argument);
}

} // namespace
