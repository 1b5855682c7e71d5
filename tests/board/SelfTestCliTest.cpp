// kbr370 selftest against a real virtual board: a whole board passes and is
// left as it was found; each hardware defect is caught and named; a lost link
// ends the run with status 1 and says how far it got.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <initializer_list>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/devices/SdRegisterCrc.h"
#include "tests/support/CliRun.h"

namespace {

// Output lines starting with `word` ("passed", "failed", "skipped").
int Lines(const std::string& out, const std::string& word) {
    const std::string text = "\n" + out, start = "\n" + word + " ";
    int n = 0;
    for (size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1))
        ++n;
    return n;
}

// Each of `lines` stands somewhere in `out`.
void ExpectLines(const std::string& out, std::initializer_list<std::string> lines) {
    for (const std::string& line : lines)
        EXPECT_TRUE(Contains(out, line)) << line << "\n" << out;
}

std::string Hex(const std::array<uint8_t, 16>& bytes) {
    std::string text;
    for (uint8_t b : bytes) {
        static const char digits[] = "0123456789ABCDEF";
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

TEST(CliSelfTest, FreshBoardPassesAndKeepsEveryMemoryAsItWas) {
    TestVBoard vb;
    // Bytes where the checks write: bus addresses, window ends, the link's round trip.
    const std::vector<std::pair<std::string, std::string>> marks = {
        {"6 0x0", "A55A0FF0"}, {"6 0x10000", "0123"}, {"6 0x40000", "77"},
        {"6 0x7FFFE", "BEEF"}, {"7 0x0", "C3"},       {"7 0x4000000", "3C"},
        {"5 0x0", "1122"},     {"5 0x800", "99"},     {"5 0xFFE", "EE11"}};
    for (const auto& [where, bytes] : marks)
        vb.CtlOk("mem write " + where + " " + bytes);
    vb.CtlOk("rs232 loopback 1");
    TempDir files;

    const auto start = std::chrono::steady_clock::now();
    const CliResult r = Cli({"selftest", "--rs232-loopback", "--junit", files.File("r.xml"),
                             "--json", files.File("r.json"), "--html", files.File("r.html")});
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_LT(seconds.count(), 15.0);
    EXPECT_EQ(Lines(r.out, "failed"), 0) << r.out;
    EXPECT_GE(Lines(r.out, "passed"), 20) << r.out;
    ExpectLines(r.out, {"passed  link: board name: the board answers as KBR_370",
                        "passed  memories: SRAM march", "passed  memories: FLASH read-only sample",
                        "passed  sd: CRC7", "passed  hsmc: loopback: every pin loops back",
                        "passed  rs232: loopback", "skipped memories: FLASH data bus",
                        "skipped leds: walking light: needs a person",
                        "skipped vga: patterns: needs a person"});
    // The reports hold the same run.
    const auto json = nlohmann::json::parse(ReadFile(files.File("r.json")));
    EXPECT_EQ(json["board"], "KBR_370");
    EXPECT_EQ(json["completed"], true);
    EXPECT_EQ(json["summary"]["failed"], 0);
    EXPECT_EQ(json["summary"]["total"], Lines(r.out, "passed") + Lines(r.out, "skipped"));
    EXPECT_TRUE(Contains(ReadFile(files.File("r.xml")), "<testsuite name=\"memories\""));
    EXPECT_TRUE(Contains(ReadFile(files.File("r.html")), "<html"));

    for (const auto& [where, bytes] : marks)
        EXPECT_EQ(vb.CtlOk("mem read " + where + " " + std::to_string(bytes.size() / 2)), bytes)
            << where;
    EXPECT_EQ(vb.CtlOk("get modes"), "ir=0 rs232=0 ps2=0");
    // What the visible checks drove is there to be seen.
    EXPECT_EQ(vb.CtlOk("get vga"), "5");
    EXPECT_EQ(vb.CtlOk("get seg7"), "0x01234567 0x00");
}

TEST(CliSelfTest, EveryDefectIsNamedInOneRun) {
    TestVBoard vb;
    vb.CtlOk("erase step-ms 1");
    vb.CtlOk("defect mem-stuck 6 0x1234 3 1");
    vb.CtlOk("defect mem-alias 7 12");
    vb.CtlOk("defect flash-sector 0");
    vb.CtlOk("hsmc fail 0x8000000000 0x01");
    std::array<uint8_t, 16> csd = {0x40, 0x0E, 0x00, 0x32, 0x5B, 0x59, 0x00, 0x00,
                                   0x3B, 0x37, 0x7F, 0x80, 0x0A, 0x40, 0x00, 0x00};
    std::array<uint8_t, 16> cid = {0x1D, 'S',  'D',  'V',  'B',  '8',  'G',  'B',
                                   0x10, 0x4B, 0x52, 0x37, 0x30, 0x01, 0x63, 0x00};
    cid[15] = uint8_t(SdCrc7(cid.data(), 15) << 1 | 1);
    const uint8_t good = SdCrc7(csd.data(), 15);
    csd[15] = uint8_t((good ^ 0x05) << 1 | 1);
    vb.CtlOk("sd insert " + Hex(csd) + " " + Hex(cid) + " 2");

    const CliResult r = Cli({"selftest", "--only", "memories,sd,hsmc", "--destructive", "--yes"});
    EXPECT_EQ(r.code, 3) << r.out << r.err;
    EXPECT_TRUE(Contains(r.err, "--destructive: the flash will be erased")) << r.err;
    char crcText[64];
    std::snprintf(crcText, sizeof crcText,
                  "failed  sd: CRC7: CSD CRC7 is 0x%02X, its bytes give 0x%02X", good ^ 0x05, good);
    ExpectLines(r.out, {"failed  memories: SRAM march: SRAM: byte 0x001234 bit 3 reads 1, "
                        "expected 0",
                        "failed  memories: SDRAM address bus: SDRAM: address line 12 is "
                        "stuck or shorted",
                        "failed  memories: FLASH march:", "in sector 0",
                        "passed  memories: EEPROM march", crcText,
                        "failed  hsmc: loopback: HSMC Loopback Test: NG: "
                        "HSMC Pin 31/29-32/30, HSMC Pin 157-158"});
    EXPECT_FALSE(Contains(r.out, "CID CRC7 is")) << r.out;
    EXPECT_FALSE(Contains(r.out, "link:")) << "--only leaves the other areas out";

    // No card is a failure with its reason.
    vb.CtlOk("sd remove");
    const CliResult none = Cli({"selftest", "--only", "sd"});
    EXPECT_EQ(none.code, 3);
    EXPECT_TRUE(Contains(none.out, "failed  sd: registers: Failed to access the SDCARD."))
        << none.out;
}

TEST(CliSelfTest, LostOrUnreachableBoardEndsWithStatusOneAndAPartialReport) {
    TestVBoard vb;
    TempDir files;
    const std::string report = files.File("r.json");
    // A cut link is found when a reply does not come in the time limit.
    CliRun run({"--time-limit", "500", "selftest", "--only", "link,memories", "--json", report});
    // Cut the link once the memories are under way.
    for (int i = 0; i < 400 && !Contains(run.OutputSoFar(), "SRAM data bus"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    vb.CtlOk("fault disconnect");
    const CliResult r = run.Wait();
    EXPECT_EQ(r.code, 1) << r.out << r.err;
    ExpectLines(r.out, {"passed  link: board name", "passed  memories: SRAM data bus",
                        ": The link was lost during the check"});
    EXPECT_FALSE(Contains(r.out, "FLASH")) << "nothing runs after the link is lost";
    EXPECT_TRUE(Contains(r.err, "kbr370: The link to the board was lost during memories: "))
        << "--json names the report, the terminal still reads text: " << r.err;
    auto json = nlohmann::json::parse(ReadFile(report));
    EXPECT_EQ(json["completed"], false);
    EXPECT_TRUE(Contains(json["stop_reason"], "lost during memories: ")) << json["stop_reason"];
    EXPECT_EQ(json["summary"]["failed"], 1) << "the check that met the loss";
    EXPECT_GE(json["summary"]["passed"], 5) << "how far it got";

    vb.Kill();
    const CliResult gone = Cli({"selftest", "--json", report});
    EXPECT_EQ(gone.code, 1) << gone.out;
    json = nlohmann::json::parse(ReadFile(report));
    EXPECT_EQ(json["completed"], false);
    EXPECT_TRUE(json["checks"].empty());
}

TEST(CliSelfTest, ABoardKilledMidMarchIsNamedLastWithTheRangesLeftChanged) {
    TestVBoard vb;
    // Paced so that the SRAM march takes a second or two; a mark in its window
    // changes once the march overwrites it, after the window was saved.
    vb.CtlOk("link rate 4000000");
    vb.CtlOk("mem write 6 0x50000 A5");
    TempDir files;
    CliRun run({"--time-limit", "300", "selftest", "--only", "memories", "--json",
                files.File("r.json"), "--junit", files.File("r.xml"), "--html",
                files.File("r.html")});
    for (int i = 0; i < 2000 && vb.CtlOk("mem read 6 0x50000 1") == "A5"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    vb.Kill();
    const CliResult r = run.Wait();
    EXPECT_EQ(r.code, 1) << r.out << r.err;
    const std::string line =
        "SRAM 0x000000-0x07FFFF holds test patterns: not restored (524288 bytes)";
    EXPECT_TRUE(Contains(r.err, "kbr370: The link to the board was lost during memories: "
                                "SRAM march.\nkbr370: " +
                                    line + "\n"))
        << r.err;
    ASSERT_GT(r.err.size(), line.size());
    EXPECT_EQ(r.err.substr(r.err.size() - line.size() - 1), line + "\n") << "said last";

    const auto json = nlohmann::json::parse(ReadFile(files.File("r.json")));
    EXPECT_EQ(json["unrestored"],
              nlohmann::json::parse(R"([{"memory":"SRAM","address":0,"bytes":524288}])"));
    EXPECT_TRUE(Contains(ReadFile(files.File("r.xml")), line)) << ReadFile(files.File("r.xml"));
    EXPECT_TRUE(Contains(ReadFile(files.File("r.html")), line));
}

TEST(CliSelfTest, PersonAnswersAndUsageBeforeTheBoardIsTouched) {
    TestVBoard vb;
    vb.CtlOk("log requests");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"selftest", "--destructive"},
          {"selftest", "--only", "link,flash"},
          {"selftest", "--skip", "everything"}}) {
        const CliResult r = Cli(args);
        EXPECT_EQ(r.code, 2) << args.back() << r.err;
    }
    EXPECT_EQ(vb.CtlOk("log requests"), "") << "usage errors never reach the board";

    // The LEDs are confirmed, the LCD is not; the VGA patterns get one answer each.
    CliOptions answers;
    answers.input = "y\nmaybe\nn\ny\ny\ny\ny\ny\nn\n";
    const CliResult r = Cli({"selftest", "--interactive", "--only", "leds,lcd,vga"}, answers);
    EXPECT_EQ(r.code, 3) << r.out << r.err;
    ExpectLines(r.out,
                {"passed  leds: walking light", "failed  lcd: text: The person did not see it",
                 "passed  vga: Scale", "failed  vga: Black"});
    EXPECT_TRUE(Contains(r.err, "Does the LCD show")) << r.err;
    EXPECT_EQ(vb.CtlOk("get leds"), "0x00000000");

    // Every key and switch moved, once, while the run waits for them.
    CliRun inputs({"selftest", "--interactive", "--only", "inputs"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    vb.CtlOk("set inputs 0x3FFFFF");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    vb.CtlOk("set inputs 0x0");
    const CliResult moved = inputs.Wait();
    EXPECT_EQ(moved.code, 0) << moved.out << moved.err;
    ExpectLines(moved.out,
                {"passed  inputs: keys: all 4 seen", "passed  inputs: switches: all 18 seen"});
    EXPECT_TRUE(Contains(moved.err, "press key 0")) << moved.err;
}

} // namespace
