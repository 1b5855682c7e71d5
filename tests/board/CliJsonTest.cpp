// kbr370 --json against a real virtual board: every output read by a real
// JSON parser, and the watch's VCD trace read back.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <set>
#include <thread>

#include <nlohmann/json.hpp>

#include "tests/support/CliRun.h"
#include "tests/support/VcdTrace.h"

namespace {

using nlohmann::json;

// The one JSON object of a whole output (one line); a parse error fails the test.
json One(const std::string& text) {
    EXPECT_EQ(text.empty() ? 0 : text.find('\n'), text.size() - 1) << "one line: " << text;
    return json::parse(text);
}

// Each whole line of a JSON Lines output (one still being written is left out).
std::vector<json> Lines(const std::string& text) {
    std::vector<json> lines;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(json::parse(text.substr(start, end - start)));
    return lines;
}

// The error object a failing run leaves on standard error, nothing else there.
json ErrorOf(const CliResult& r, int code, const char* meaning) {
    EXPECT_EQ(r.code, code) << r.err;
    const json e = One(r.err);
    EXPECT_EQ(e.size(), 3u) << e;
    EXPECT_TRUE(e.at("error").is_string() && !e.at("error").get<std::string>().empty()) << e;
    EXPECT_EQ(e.at("exit"), code);
    EXPECT_EQ(e.at("meaning"), meaning);
    return e;
}

// The faults python3-jsonschema finds in each [schema name, document], a line each.
using Documents = std::vector<std::pair<std::string, json>>;
std::vector<std::string> SchemaFaults(const Documents& documents) {
    json cases = json::array();
    for (const auto& [name, document] : documents)
        cases.push_back({std::string(KBR_SCHEMA_DIR "/") + name + ".schema.json", document,
                         name + " " + document.dump()});
    TempDir dir;
    WriteFile(dir.File("cases.json"), cases.dump());
    // Debian's own python3, whose python3-jsonschema `make deps` installs.
    const std::string command =
        "/usr/bin/python3 '" KBR_SCHEMA_CHECK "' '" + dir.File("cases.json") + "' 2>&1";
    FILE* p = popen(command.c_str(), "r");
    std::string text;
    char buffer[4096];
    while (size_t n = p ? fread(buffer, 1, sizeof buffer, p) : 0)
        text.append(buffer, n);
    const int status = p ? pclose(p) : -1;
    EXPECT_EQ(status, 0) << "the schema check did not run: " << text;
    std::vector<std::string> faults;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        faults.push_back(text.substr(start, end - start));
    return faults;
}

void WaitForLinkClosed(const TestVBoard& vb) {
    for (int i = 0; i < 500 && vb.CtlOk("status").find("link=closed") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST(CliJson, ResultCommandsPrintOneObjectOfTheirSchema) {
    TestVBoard vb;
    CliResult r = Cli({"info", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(One(r.out), (json{{"board", "KBR_370"}, {"link", "KBR-370 virtual board at " + vb.Dir()}}));

    vb.CtlOk("set inputs 0x20000A");
    r = Cli({"inputs", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    json switches(18, 0);
    switches[17] = 1;
    EXPECT_EQ(One(r.out), (json{{"value", 0x20000A},
                                {"hex", "0x0020000A"},
                                {"keys", {0, 1, 0, 1}},
                                {"switches", switches}}));

    r = Cli({"sd", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const json sd = One(r.out);
    EXPECT_EQ(sd.at("csd").at("version"), 2);
    EXPECT_EQ(sd.at("csd").at("capacity_mb"), 7579);
    EXPECT_EQ(sd.at("csd").at("max_read_block_length"), 512);
    EXPECT_EQ(sd.at("csd").at("hex").get<std::string>().size(), 32u);
    EXPECT_TRUE(sd.at("cid").at("manufacturer_id").is_number_unsigned()) << sd;
    EXPECT_TRUE(sd.at("cid").at("product_name").is_string()) << sd;
    EXPECT_EQ(sd.at("file_system"), "FAT32");

    vb.CtlOk("usb 7");
    r = Cli({"usb", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(One(r.out), (json{{"kind", 7}, {"device", "unknown"}, {"name", ""}}));
    vb.CtlOk("usb 2");
    EXPECT_EQ(One(Cli({"usb", "--json"}).out).at("device"), "storage");

    r = Cli({"hsmc", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(One(r.out).at("result"), "pass");
    vb.CtlOk("hsmc fail 0x8000000001 0x01");
    r = Cli({"hsmc", "--json"});
    EXPECT_EQ(One(r.out), (json{{"result", "fail"},
                                {"transceiver_errors", {"HSMC Pin 31/29-32/30"}},
                                {"pio_errors", {"HSMC Pin 41-42", "HSMC Pin 157-158"}},
                                {"mask8", 1},
                                {"mask40", 0x8000000001}}));
    ErrorOf(r, 3, "check-failed");

    // Configuring says what it did, and its progress lines keep out of the way.
    r = Cli({"configure", "--json", TestVBoard::DesignFile()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const json configured = One(r.out);
    EXPECT_EQ(configured.at("file"), TestVBoard::DesignFile());
    EXPECT_EQ(configured.at("cable"), "virtual");
    EXPECT_EQ(configured.at("configured"), true);
    EXPECT_TRUE(configured.at("duration_ms").is_number_unsigned()) << configured;
}

// Each command's --json output, good and failed, against the schema shipped for it.
TEST(CliJson, EveryOutputFollowsItsSchema) {
    TestVBoard vb;
    TempDir dir;
    Documents documents;
    const auto result = [&](const char* schema, const std::vector<std::string>& args,
                            int code = 0) {
        const CliResult r = Cli(args);
        EXPECT_EQ(r.code, code) << args.front() << ": " << r.err;
        for (const json& line : Lines(r.out))
            documents.emplace_back(schema, line);
        for (const json& line : Lines(r.err))
            documents.emplace_back(line.contains("warning") ? "warning" : "error", line);
        return r;
    };
    result("info", {"info", "--json"});
    vb.CtlOk("set inputs 0x3FFFFF");
    result("inputs", {"inputs", "--json"});
    result("sd", {"sd", "--json"});
    vb.CtlOk("usb 1");
    result("usb", {"usb", "--json"});
    result("hsmc", {"hsmc", "--json"});
    vb.CtlOk("hsmc fail 0x8000000001 0x01");
    result("hsmc", {"hsmc", "--json"}, 3);
    result("configure", {"configure", "--json", TestVBoard::DesignFile()});

    WriteFile(dir.File("two.bin"), "AB");
    result("mem-write", {"mem", "write", "sram", "0x100", dir.File("two.bin"), "--verify", "--json"});
    result("mem-read", {"mem", "read", "sram", "0x100", "2", "-o", dir.File("back.ihex"), "--json"});
    result("mem-verify", {"mem", "verify", "sram", "0x100", dir.File("two.bin"), "--json"});
    result("mem-difference", {"mem", "verify", "sram", "0x101", dir.File("two.bin"), "--json"}, 3);
    result("error", {"--json", "nosuch"}, 2);

    vb.CtlOk("ir push 0540");
    result("ir-watch", {"ir", "watch", "--seconds", "0.3", "--json"});
    vb.CtlOk("ps2 push 0905FB00010505000A80FF00");
    result("ps2-watch", {"ps2", "watch", "--seconds", "0.3", "--json"});
    // A read the board refuses, once the stream runs, is a note that does not end it.
    vb.CtlOk("rs232 push 68690A00E9");
    CliRun receive({"rs232", "receive", "--seconds", "1", "--json"});
    for (int i = 0; i < 1000 && Lines(receive.OutputSoFar()).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    vb.CtlOk("fault status:1");
    const CliResult received = receive.Wait();
    EXPECT_EQ(received.code, 0) << received.err;
    for (const json& line : Lines(received.out))
        documents.emplace_back("rs232-receive", line);
    documents.emplace_back("warning", One(received.err));

    CliRun watch({"inputs", "--watch", "--json"});
    for (int i = 0; i < 1000 && Lines(watch.OutputSoFar()).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    watch.Signal(SIGTERM);
    const CliResult watched = watch.Wait();
    for (const json& line : Lines(watched.out))
        documents.emplace_back("inputs-watch", line);
    documents.emplace_back("error", One(watched.err));

    // Every schema was used, and every kind of line seen.
    std::set<std::string> used;
    for (const auto& [name, document] : documents)
        used.insert(name);
    EXPECT_EQ(used.size(), 16u) << json(used).dump();
    EXPECT_EQ(SchemaFaults(documents), std::vector<std::string>{});

    // A field under another name, or one too many, is a fault.
    json renamed = Lines(Cli({"configure", "--json", TestVBoard::DesignFile()}).out).at(0);
    renamed["seconds"] = renamed["duration_ms"];
    renamed.erase("duration_ms");
    EXPECT_EQ(SchemaFaults({{"configure", renamed}}).size(), 2u);
}

TEST(CliJson, EveryFailureIsOneObjectOnStandardError) {
    TestVBoard vb;
    // Usage errors, found by the parser or by the command.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"inputs", "--json", "--bogus"},
          {"--json", "nosuch"},
          {"inputs", "--json", "--vcd", "x.vcd"},
          {"inputs", "--watch", "--json", "--vcd", "-"},
          {"inputs", "--watch", "--json", "--vcd", "/nonexistent/dir/x.vcd"},
          {"configure", "--json", "/nonexistent.sof"},
          // The self test's name among the words changes nothing.
          {"mem", "read", "sram", "0x0", "0x0", "-o", "selftest", "--json"},
          {"lcd", "selftest", "--json"}}) {
        const CliResult r = Cli(args);
        EXPECT_EQ(r.out, "") << args.back();
        ErrorOf(r, 2, "usage");
    }

    vb.CtlOk("sd remove");
    CliResult r = Cli({"sd", "--json"});
    EXPECT_EQ(r.out, "");
    EXPECT_NE(ErrorOf(r, 1, "board-failure").at("error").get<std::string>().find("SDCARD"),
              std::string::npos);

    TempDir dir;
    WriteFile(dir.File("selftest"), "AB");
    r = Cli({"mem", "verify", "sram", "0x0", dir.File("selftest"), "--json"});
    EXPECT_EQ(One(r.out).at("match"), false);
    ErrorOf(r, 3, "check-failed");

    // A failed download is told in a box: under --json its text is the error.
    WriteFile(dir.File("bad.sof"), "not a design");
    r = Cli({"configure", "--json", dir.File("bad.sof")});
    EXPECT_EQ(One(r.out).at("configured"), false);
    EXPECT_NE(ErrorOf(r, 1, "board-failure").at("error").get<std::string>().find("bad.sof"),
              std::string::npos);
}

TEST(CliJson, WatchWritesJsonLinesAndAVcdTraceToTheEnd) {
    TestVBoard vb;
    TempDir dir;
    const std::string vcdFile = dir.File("inputs.vcd");
    vb.CtlOk("set inputs 0x1");
    CliRun watch({"inputs", "--watch", "--json", "--vcd", vcdFile});
    const auto linesSeen = [&watch](size_t n) {
        for (int i = 0; i < 1000 && Lines(watch.OutputSoFar()).size() < n; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return Lines(watch.OutputSoFar()).size() == n;
    };
    ASSERT_TRUE(linesSeen(1));
    vb.CtlOk("set inputs 0x3FFFF0");
    ASSERT_TRUE(linesSeen(2));
    vb.CtlOk("set inputs 0x3FFFF0");
    vb.CtlOk("set inputs 0x8");
    ASSERT_TRUE(linesSeen(3));
    watch.Signal(SIGTERM);
    const CliResult r = watch.Wait();
    ErrorOf(r, 128 + SIGTERM, "signal");

    const std::vector<json> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].at("hex"), "0x003FFFF0");
    EXPECT_EQ(lines[2].at("keys"), (json{0, 0, 0, 1}));
    EXPECT_LE(lines[0].at("time_ms"), lines[1].at("time_ms"));
    EXPECT_LE(lines[1].at("time_ms"), lines[2].at("time_ms"));

    const VcdTrace trace = ParseVcd(ReadFile(vcdFile));
    ASSERT_EQ(trace.error, "") << ReadFile(vcdFile);
    EXPECT_EQ(trace.wires.size(), 22u);
    EXPECT_EQ(trace.wires.front(), "key0");
    EXPECT_EQ(trace.wires.back(), "sw17");
    EXPECT_EQ(trace.changes.front().time, 0u) << "the trace begins at the first reading";
    // Each JSON line's value is what the trace holds from its time on.
    for (const json& line : lines) {
        const auto levels = trace.LevelsAt(line.at("time_ms").get<uint64_t>() * 1000 + 999);
        const uint32_t value = line.at("value");
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(levels.at("key" + std::to_string(i)), (value >> i) & 1 ? '1' : '0') << line;
        for (int i = 0; i < 18; ++i)
            EXPECT_EQ(levels.at("sw" + std::to_string(i)), (value >> (4 + i)) & 1 ? '1' : '0') << line;
    }
    EXPECT_GT(trace.lastTime, lines.back().at("time_ms").get<uint64_t>() * 1000)
        << "the trace ends when the watch ends";
    WaitForLinkClosed(vb);

    // "-" puts the trace alone on standard output.
    CliRun toStdout({"inputs", "--watch", "--vcd", "-"});
    for (int i = 0; i < 1000 && !Contains(toStdout.OutputSoFar(), "$dumpvars"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    toStdout.Signal(SIGINT);
    const CliResult s = toStdout.Wait();
    EXPECT_EQ(s.code, 128 + SIGINT) << s.err;
    const VcdTrace piped = ParseVcd(s.out);
    ASSERT_EQ(piped.error, "") << s.out;
    EXPECT_EQ(piped.LevelsAt(piped.lastTime).at("key3"), '1');
}

} // namespace
