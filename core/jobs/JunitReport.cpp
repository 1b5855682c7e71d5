#include "core/jobs/JunitReport.h"

#include "core/jobs/ReportParts.h"

using namespace kbr::report;

namespace {

std::string Attribute(const char* name, std::string_view value) {
    return std::string(" ") + name + "=\"" + MarkupAttribute(value) + "\"";
}

std::string Attribute(const char* name, int value) {
    return Attribute(name, std::to_string(value));
}

// The same facts in every suite: the schema CI readers follow has no
// properties on the root.
std::string Properties(const TSelfTestReport& report) {
    const std::pair<const char*, std::string> properties[] = {
        {"board", report.board},
        {"link", report.link},
        {"tool_version", report.toolVersion},
        {"started", report.startedUtc},
        {"full", report.full ? "true" : "false"},
        {"destructive", report.destructive ? "true" : "false"},
        {"interactive", report.interactive ? "true" : "false"},
    };
    std::string out = "    <properties>\n";
    for (const auto& [name, value] : properties)
        out += "      <property" + Attribute("name", name) + Attribute("value", value) + "/>\n";
    for (const TPatternRange& range : report.unrestored)
        out += "      <property" + Attribute("name", "unrestored") +
               Attribute("value", RangeText(range)) + "/>\n";
    return out + "    </properties>\n";
}

// The failure's text: its message, the check's details, then each fault.
std::string FailureText(const TCheckResult& check) {
    std::string text = check.message + "\n" + DetailLines(check.details);
    for (size_t i = 0; i < check.failures.size(); ++i)
        text += "fault " + std::to_string(i + 1) + ":\n" + DetailLines(check.failures[i], "  ");
    return text;
}

std::string TestCase(const TCheckResult& check) {
    std::string out = "    <testcase" + Attribute("classname", check.area) +
                      Attribute("name", check.name) + Attribute("time", Seconds(check.durationMs)) +
                      ">\n";
    switch (check.result) {
    case TCheckResult::Result::Failed:
        out += "      <failure" + Attribute("message", check.message) +
               Attribute("type", "failed") + ">" + MarkupText(FailureText(check)) + "</failure>\n";
        break;
    case TCheckResult::Result::Skipped:
        out += "      <skipped" + Attribute("message", check.message) + "/>\n";
        break;
    case TCheckResult::Result::Passed:
        // What it covered, for whoever opens the case.
        out += "      <system-out>" +
               MarkupText(check.message + "\n" + DetailLines(check.details)) + "</system-out>\n";
        break;
    }
    return out + "    </testcase>\n";
}

std::string Suite(const TSelfTestReport& report, const std::string& name, int tests, int failures,
                  int errors, int skipped, uint32_t ms, const std::string& cases) {
    return "  <testsuite" + Attribute("name", name) + Attribute("tests", tests) +
           Attribute("failures", failures) + Attribute("errors", errors) +
           Attribute("skipped", skipped) + Attribute("time", Seconds(ms)) +
           Attribute("timestamp", report.startedUtc) + ">\n" + Properties(report) + cases +
           "  </testsuite>\n";
}

} // namespace

std::string JunitReportText(const TSelfTestReport& report) {
    std::string suites;
    for (const auto& [area, checks] : ByArea(report)) {
        const TCounts counts = Count(checks);
        uint32_t ms = 0;
        std::string cases;
        for (const TCheckResult* check : checks) {
            ms += check->durationMs;
            cases += TestCase(*check);
        }
        suites += Suite(report, area, counts.Total(), counts.failed, 0, counts.skipped, ms, cases);
    }
    // The run as a whole: an early end is an error, memory left changed a failure.
    const TCounts all = Count(report);
    const int errors = report.completed ? 0 : 1;
    const int unrestored = report.unrestored.empty() ? 0 : 1;
    std::string run;
    if (!report.completed)
        run += "    <testcase" + Attribute("classname", "run") + Attribute("name", "completed") +
               Attribute("time", Seconds(0)) + ">\n      <error" +
               Attribute("message", report.stopReason) + Attribute("type", "incomplete") +
               "/>\n    </testcase>\n";
    if (unrestored) {
        std::string lines;
        for (const std::string& line : UnrestoredLines(report.unrestored))
            lines += line + "\n";
        run += "    <testcase" + Attribute("classname", "run") +
               Attribute("name", "memory restored") + Attribute("time", Seconds(0)) +
               ">\n      <failure" +
               Attribute("message", "memory holds test patterns: not restored") +
               Attribute("type", "unrestored") + ">" + MarkupText(lines) +
               "</failure>\n    </testcase>\n";
    }
    if (!run.empty())
        suites += Suite(report, "run", errors + unrestored, unrestored, errors, 0, 0, run);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" +
           Attribute("name", "kbr370 selftest") +
           Attribute("tests", all.Total() + errors + unrestored) +
           Attribute("failures", all.failed + unrestored) + Attribute("errors", errors) +
           Attribute("time", Seconds(report.durationMs)) + ">\n" + suites + "</testsuites>\n";
}
