// The self test's three reports, written from hand-made runs: every kind of
// result, a run that ended early, and board texts that hold anything.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <unistd.h>

#include "core/jobs/HtmlReport.h"
#include "core/jobs/JsonReport.h"
#include "core/jobs/JunitReport.h"
#include "core/jobs/ReportParts.h"

namespace {

using Result = TCheckResult::Result;
using nlohmann::json;

const std::string kFffd = "\xEF\xBF\xBD";

TCheckResult Check(const std::string& area, const std::string& name, Result result,
                   const std::string& message, TCheckResult::TDetails details = {},
                   std::vector<TCheckResult::TDetails> failures = {}) {
    TCheckResult check;
    check.area = area;
    check.name = name;
    check.result = result;
    check.durationMs = 120;
    check.message = message;
    check.details = std::move(details);
    check.failures = std::move(failures);
    return check;
}

// A message as a board may hand it over: markup, a line break, control
// characters, bytes that are not UTF-8, and a character that is.
const std::string kHostile = "<b>&\"quoted\" 'x'\nline\x01\x1B[0m\xFF\xFE µ";

TSelfTestReport MixedRun() {
    TSelfTestReport report;
    report.board = "KBR_370\x07";
    report.link = "virtual board";
    report.toolVersion = "2.0.0";
    report.startedUtc = "2026-12-08T21:19:42Z";
    report.durationMs = 61005;
    report.full = true;
    report.checks = {
        Check("link", "board name", Result::Passed, "KBR_370 answered."),
        Check("memories", "SRAM march", Result::Failed, "SRAM: byte 0x000010 bit 3 reads 0.",
              {{"window", "0x000000-0x07FFFF"}, {"faults", "2"}},
              {{{"memory", "SRAM"},
                {"address", "0x000010"},
                {"bit", "3"},
                {"expected", "0x08"},
                {"read", "0x00"}},
               {{"memory", "SRAM"},
                {"address", "0x000011"},
                {"bit", "3"},
                {"expected", "0x08"},
                {"read", "0x00"}}}),
        Check("memories", "SDRAM data bus", Result::Passed, "16 data lines.",
              {{"data_lines", "16"}}),
        Check("memories", "FLASH program", Result::Skipped, "Not run: not destructive."),
        Check("sd", "card registers <script>", Result::Failed, kHostile, {{"cid", kHostile}}),
        Check("inputs", "keys", Result::Passed, "KEY0 to KEY3 seen."),
        Check("leds", "pattern", Result::Skipped, "Needs a person."),
    };
    return report;
}

TSelfTestReport LostRun() {
    TSelfTestReport report = MixedRun();
    report.completed = false;
    report.stopReason = "The link was lost.";
    report.checks.resize(2);
    report.unrestored = {{"SRAM", 0, 0x80000}, {"SRAM", 0x100000, 1}};
    return report;
}

TSelfTestReport UnreachedRun() {
    TSelfTestReport report;
    report.link = "virtual board";
    report.completed = false;
    report.stopReason = "The board could not be reached.";
    return report;
}

// A report written to a file of its own for xmllint, removed afterwards.
struct TTempFile {
    std::string path;
    TTempFile(const std::string& name, const std::string& text)
        : path(testing::TempDir() + "/report-" + std::to_string(getpid()) + "-" + name) {
        std::ofstream(path, std::ios::binary) << text;
    }
    ~TTempFile() { std::remove(path.c_str()); }
    operator const std::string&() const { return path; }
};

bool HaveXmllint() {
    return std::system("command -v xmllint >/dev/null 2>&1") == 0;
}

// What xmllint prints for `command`, less its last line break, and its status.
std::string Shell(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int code = pclose(pipe);
    if (status)
        *status = code;
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string XPath(const std::string& file, const std::string& expression) {
    return Shell("xmllint --xpath \"" + expression + "\" '" + file + "'");
}

} // namespace

TEST(ReportParts, TextsKeepUtf8AndLoseWhatMarkupCannotHold) {
    using kbr::report::ValidText;
    EXPECT_EQ(ValidText("plain \t\r\n µ€𝄞"), "plain \t\r\n µ€𝄞");
    EXPECT_EQ(ValidText("a\x01"
                        "b\x7F"
                        "c\xC2\x85"),
              "a" + kFffd + "b" + kFffd + "c" + kFffd);
    EXPECT_EQ(ValidText("\xC0\xAF"), kFffd + kFffd);                         // overlong '/'
    EXPECT_EQ(ValidText("\xED\xA0\x80"), kFffd + kFffd + kFffd);             // a surrogate
    EXPECT_EQ(ValidText("\xEF\xBF\xBE"), kFffd);                             // U+FFFE
    EXPECT_EQ(ValidText("\xF4\x90\x80\x80"), kFffd + kFffd + kFffd + kFffd); // past U+10FFFF
    EXPECT_EQ(ValidText("end\xE2\x82"), "end" + kFffd + kFffd);              // cut short
    EXPECT_EQ(kbr::report::MarkupAttribute("<a href=\"x\">&'\n"),
              "&lt;a href=&quot;x&quot;&gt;&amp;&#39;&#10;");

    EXPECT_EQ(kbr::report::Seconds(0), "0.000");
    EXPECT_EQ(kbr::report::Seconds(1250), "1.250");
    EXPECT_EQ(kbr::report::Seconds(61005), "61.005");
}

TEST(JunitReport, LoadsWithTheSchemaCiReadersFollow) {
    if (!HaveXmllint())
        GTEST_SKIP() << "xmllint is not installed (libxml2-utils)";
    const std::pair<const char*, TSelfTestReport> runs[] = {
        {"mixed", MixedRun()}, {"lost", LostRun()}, {"unreached", UnreachedRun()}};
    for (const auto& [name, report] : runs) {
        const TTempFile file(std::string(name) + ".xml", JunitReportText(report));
        int status = -1;
        const std::string out =
            Shell("xmllint --noout --schema '" KBR_JUNIT_XSD "' '" + file.path + "' 2>&1", &status);
        EXPECT_EQ(status, 0) << name << ": " << out;
    }
}

TEST(JunitReport, CountsOutcomesAndTextsAsReadersSeeThem) {
    if (!HaveXmllint())
        GTEST_SKIP() << "xmllint is not installed (libxml2-utils)";
    const TTempFile mixed("counts.xml", JunitReportText(MixedRun()));
    EXPECT_EQ(XPath(mixed, "string(/testsuites/@tests)"), "7");
    EXPECT_EQ(XPath(mixed, "string(/testsuites/@failures)"), "2");
    EXPECT_EQ(XPath(mixed, "string(/testsuites/@errors)"), "0");
    EXPECT_EQ(XPath(mixed, "string(/testsuites/@time)"), "61.005");
    EXPECT_EQ(XPath(mixed, "count(/testsuites/testsuite)"), "5");

    const std::string memories = "/testsuites/testsuite[@name='memories']";
    EXPECT_EQ(XPath(mixed, "string(" + memories + "/@tests)"), "3");
    EXPECT_EQ(XPath(mixed, "string(" + memories + "/@failures)"), "1");
    EXPECT_EQ(XPath(mixed, "string(" + memories + "/@skipped)"), "1");
    EXPECT_EQ(XPath(mixed, "string(" + memories + "/@time)"), "0.360");
    EXPECT_EQ(XPath(mixed, "string(" + memories + "/properties/property[@name='full']/@value)"),
              "true");
    const std::string march = memories + "/testcase[@name='SRAM march']";
    EXPECT_EQ(XPath(mixed, "string(" + march + "/@classname)"), "memories");
    EXPECT_EQ(XPath(mixed, "string(" + march + "/@time)"), "0.120");
    EXPECT_EQ(XPath(mixed, "string(" + march + "/failure/@message)"),
              "SRAM: byte 0x000010 bit 3 reads 0.");
    const std::string failure = XPath(mixed, "string(" + march + "/failure)");
    EXPECT_NE(failure.find("faults: 2\n"), std::string::npos) << failure;
    EXPECT_NE(failure.find("fault 2:\n  memory: SRAM\n  address: 0x000011\n  bit: 3"),
              std::string::npos)
        << failure;
    EXPECT_EQ(
        XPath(mixed, "string(" + memories + "/testcase[@name='FLASH program']/skipped/@message)"),
        "Not run: not destructive.");

    // Markup, line breaks and the board's stray bytes come back as sent,
    // less what XML cannot hold.
    const std::string sd = "/testsuites/testsuite[@name='sd']/testcase";
    EXPECT_EQ(XPath(mixed, "string(" + sd + "/@name)"), "card registers <script>");
    EXPECT_EQ(XPath(mixed, "string(" + sd + "/failure/@message)"),
              kbr::report::ValidText(kHostile));
    EXPECT_EQ(XPath(mixed, "string(//property[@name='board']/@value)"), "KBR_370" + kFffd);

    // A run that ended early is an error, never a green build.
    const TTempFile lost("lost.xml", JunitReportText(LostRun()));
    EXPECT_EQ(XPath(lost, "string(/testsuites/@errors)"), "1");
    EXPECT_EQ(XPath(lost, "string(/testsuites/@tests)"), "4");
    // Memory left holding test patterns fails the build, range by range.
    EXPECT_EQ(XPath(lost, "string(/testsuites/@failures)"), "2");
    EXPECT_EQ(XPath(lost, "string(//testcase[@name='memory restored']/failure)"),
              "SRAM 0x000000-0x07FFFF holds test patterns: not restored (524288 bytes)\n"
              "SRAM 0x100000-0x100000 holds test patterns: not restored (1 byte)\n");
    EXPECT_EQ(XPath(lost, "string(/testsuites/testsuite[@name='run']/testcase/error/@message)"),
              "The link was lost.");
    const TTempFile unreached("unreached.xml", JunitReportText(UnreachedRun()));
    EXPECT_EQ(XPath(unreached, "string(/testsuites/@errors)"), "1");
}

namespace {

// Checks `value` against the part of JSON Schema the report's schema uses. A
// keyword it does not know is an error, so the schema cannot outgrow the test.
void Validate(const json& schema, const json& root, const json& value, const std::string& at,
              std::vector<std::string>& errors) {
    static const std::map<std::string, bool (json::*)() const noexcept> kTypes = {
        {"object", &json::is_object},   {"array", &json::is_array},
        {"string", &json::is_string},   {"integer", &json::is_number_integer},
        {"boolean", &json::is_boolean}, {"null", &json::is_null}};
    for (const auto& [keyword, rule] : schema.items()) {
        if (keyword == "$schema" || keyword == "title" || keyword == "description" ||
            keyword == "$defs") {
        } else if (keyword == "$ref") {
            const std::string ref = rule;
            ASSERT_EQ(ref.rfind("#/$defs/", 0), 0u) << ref;
            Validate(root["$defs"][ref.substr(8)], root, value, at, errors);
        } else if (keyword == "type") {
            const json types = rule.is_array() ? rule : json::array({rule});
            bool any = false;
            for (const json& type : types)
                any = any || (value.*kTypes.at(type.get<std::string>()))();
            if (!any)
                errors.push_back(at + ": not " + rule.dump());
        } else if (keyword == "enum") {
            if (std::find(rule.begin(), rule.end(), value) == rule.end())
                errors.push_back(at + ": " + value.dump() + " not in " + rule.dump());
        } else if (keyword == "minimum") {
            if (value.is_number() && value < rule)
                errors.push_back(at + ": below " + rule.dump());
        } else if (keyword == "required") {
            for (const json& name : rule)
                if (!value.contains(name.get<std::string>()))
                    errors.push_back(at + ": no " + name.get<std::string>());
        } else if (keyword == "properties") {
            for (const auto& [name, sub] : rule.items())
                if (value.contains(name))
                    Validate(sub, root, value[name], at + "." + name, errors);
        } else if (keyword == "additionalProperties") {
            for (const auto& [name, member] : value.items()) {
                if (schema.contains("properties") && schema["properties"].contains(name))
                    continue;
                if (rule == false)
                    errors.push_back(at + ": unexpected " + name);
                else
                    Validate(rule, root, member, at + "." + name, errors);
            }
        } else if (keyword == "items") {
            for (size_t i = 0; i < value.size(); ++i)
                Validate(rule, root, value[i], at + "[" + std::to_string(i) + "]", errors);
        } else {
            errors.push_back("schema keyword not checked: " + keyword);
        }
    }
}

std::vector<std::string> SchemaErrors(const json& document) {
    std::ifstream in(KBR_REPORT_SCHEMA);
    const json schema = json::parse(in);
    std::vector<std::string> errors;
    Validate(schema, schema, document, "$", errors);
    return errors;
}

} // namespace

TEST(JsonReport, FollowsItsSchemaWithEveryKindOfResult) {
    for (const TSelfTestReport& report : {MixedRun(), LostRun(), UnreachedRun()}) {
        const json document = json::parse(JsonReportText(report));
        EXPECT_EQ(SchemaErrors(document), std::vector<std::string>{}) << document.dump(2);
    }
    // The check above finds what is missing or out of place.
    json broken = json::parse(JsonReportText(MixedRun()));
    broken.erase("summary");
    broken["checks"][0]["result"] = "ok";
    broken["checks"][1]["failures"][0]["bit"] = 3;
    EXPECT_EQ(SchemaErrors(broken).size(), 3u);
}

TEST(JsonReport, HoldsTheRunItsChecksAndTheirFaults) {
    const json mixed = json::parse(JsonReportText(MixedRun()));
    EXPECT_EQ(mixed["board"], "KBR_370\a"); // JSON carries control characters, escaped
    EXPECT_EQ(mixed["duration_ms"], 61005);
    EXPECT_EQ(mixed["options"],
              json::parse(R"({"full":true,"destructive":false,"interactive":false})"));
    EXPECT_EQ(mixed["result"], "failed");
    EXPECT_EQ(mixed["stop_reason"], nullptr);
    EXPECT_EQ(mixed["summary"], json::parse(R"({"total":7,"passed":3,"failed":2,"skipped":2})"));

    const json& march = mixed["checks"][1];
    EXPECT_EQ(march["area"], "memories");
    EXPECT_EQ(march["result"], "failed");
    EXPECT_EQ(march["details"]["faults"], "2");
    ASSERT_EQ(march["failures"].size(), 2u);
    EXPECT_EQ(march["failures"][1]["address"], "0x000011");
    // Details keep the order a person reads them in.
    const std::string text = JsonReportText(MixedRun());
    const auto memory = text.find("\"memory\""), address = text.find("\"address\""),
               read = text.find("\"read\"");
    EXPECT_TRUE(memory < address && address < read);
    // Bytes that are not UTF-8 become U+FFFD instead of stopping the writer.
    EXPECT_EQ(
        mixed["checks"][4]["message"].get<std::string>().find("\x1B[0m" + kFffd + kFffd + " µ"),
        kHostile.find("\x1B[0m"));

    const json lost = json::parse(JsonReportText(LostRun()));
    EXPECT_FALSE(lost["completed"]);
    EXPECT_EQ(lost["stop_reason"], "The link was lost.");
    EXPECT_EQ(lost["result"], "incomplete");
}

namespace {

// The colour class of the frame around `device`, empty when it has none.
std::string FrameOf(const std::string& html, const std::string& device) {
    std::smatch match;
    const std::regex frame("<div class=\"frame (\\w+)\" data-device=\"" + device + "\"");
    return std::regex_search(html, match, frame) ? match[1].str() : "";
}

} // namespace

TEST(HtmlReport, StandsAloneAndFramesEachDeviceByItsChecks) {
    const std::string html = HtmlReportText(MixedRun());
    std::string lower = html;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    EXPECT_EQ(lower.find("http:"), std::string::npos);
    EXPECT_EQ(lower.find("https:"), std::string::npos);
    EXPECT_EQ(lower.find("url("), std::string::npos);
    EXPECT_EQ(lower.find("<script"), std::string::npos); // the check named so is escaped
    EXPECT_NE(html.find("card registers &lt;script&gt;"), std::string::npos);
    // One picture, the board's PNG inline.
    EXPECT_EQ(std::regex_replace(html, std::regex("src=\"data:image/png;base64,iVBORw0KGgo"), "")
                  .find("src="),
              std::string::npos);
    EXPECT_NE(html.find("src=\"data:image/png;base64,iVBORw0KGgo"), std::string::npos);

    EXPECT_EQ(FrameOf(html, "BLASTER"), "passed"); // link
    EXPECT_EQ(FrameOf(html, "SRAM"), "failed");    // a memory's checks name it ...
    EXPECT_EQ(FrameOf(html, "SDRAM"), "passed");
    EXPECT_EQ(FrameOf(html, "FLASH"), "notrun");  // ... skipped ...
    EXPECT_EQ(FrameOf(html, "EEPROM"), "notrun"); // ... or none
    EXPECT_EQ(FrameOf(html, "SDCARD"), "failed");
    EXPECT_EQ(FrameOf(html, "KEY"), "passed");
    EXPECT_EQ(FrameOf(html, "SW"), "notrun");
    EXPECT_EQ(FrameOf(html, "LED"), "notrun"); // needs a person
    EXPECT_EQ(FrameOf(html, "VGA"), "notrun"); // not in the run
    EXPECT_EQ(FrameOf(html, "AUDIO"), "");     // no check is about it
    // A memory check that names no memory is about all four.
    TSelfTestReport report = MixedRun();
    report.checks.push_back(Check("memories", "bus", Result::Failed, "No answer."));
    EXPECT_EQ(FrameOf(HtmlReportText(report), "EEPROM"), "failed");

    // Every device the self test covers is on the picture.
    const std::string none = HtmlReportText(UnreachedRun());
    for (const char* device :
         {"BLASTER", "SRAM", "EEPROM", "SDRAM", "FLASH", "SDCARD", "HSMC", "USB", "IR", "PS2",
          "RS232", "SW", "KEY", "LED", "SEG7", "LCD", "VGA"})
        EXPECT_EQ(FrameOf(none, device), "notrun") << device;
    EXPECT_NE(none.find("The board could not be reached."), std::string::npos);
    EXPECT_NE(none.find("class=\"verdict incomplete\""), std::string::npos);

    // The tables: one per area, a row per check with its faults.
    const std::regex heading("<h2>");
    EXPECT_EQ(std::distance(std::sregex_iterator(html.begin(), html.end(), heading),
                            std::sregex_iterator()),
              5);
    EXPECT_NE(
        html.find("fault: memory SRAM, address 0x000011, bit 3, expected 0x08, read 0x00</pre>"),
        std::string::npos);
    EXPECT_NE(html.find(kbr::report::MarkupText(kHostile)), std::string::npos);
}
