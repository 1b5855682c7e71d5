#include "core/jobs/JsonReport.h"

#include <nlohmann/json.hpp>

#include "core/jobs/ReportParts.h"

namespace {

// Keeps the order a person should read them in; a repeated name keeps its
// first value.
nlohmann::ordered_json Object(const TCheckResult::TDetails& details) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const auto& [name, value] : details)
        object.emplace(name, value);
    return object;
}

nlohmann::ordered_json Check(const TCheckResult& check) {
    nlohmann::ordered_json failures = nlohmann::ordered_json::array();
    for (const TCheckResult::TDetails& failure : check.failures)
        failures.push_back(Object(failure));
    return {{"area", check.area},
            {"name", check.name},
            {"result", ResultName(check.result)},
            {"duration_ms", check.durationMs},
            {"message", check.message},
            {"details", Object(check.details)},
            {"failures", std::move(failures)}};
}

} // namespace

std::string JsonReportText(const TSelfTestReport& report) {
    const kbr::report::TCounts counts = kbr::report::Count(report);
    nlohmann::ordered_json checks = nlohmann::ordered_json::array();
    for (const TCheckResult& check : report.checks)
        checks.push_back(Check(check));
    nlohmann::ordered_json unrestored = nlohmann::ordered_json::array();
    for (const TPatternRange& range : report.unrestored)
        unrestored.push_back(
            {{"memory", range.memory}, {"address", range.address}, {"bytes", range.bytes}});
    const nlohmann::ordered_json document = {
        {"format", 1},
        {"board", report.board},
        {"link", report.link},
        {"tool_version", report.toolVersion},
        {"started", report.startedUtc},
        {"duration_ms", report.durationMs},
        {"options",
         {{"full", report.full},
          {"destructive", report.destructive},
          {"interactive", report.interactive}}},
        {"completed", report.completed},
        {"stop_reason",
         report.completed ? nlohmann::ordered_json() : nlohmann::ordered_json(report.stopReason)},
        {"result", kbr::report::Verdict(report)},
        {"summary",
         {{"total", counts.Total()},
          {"passed", counts.passed},
          {"failed", counts.failed},
          {"skipped", counts.skipped}}},
        {"checks", std::move(checks)},
        {"unrestored", std::move(unrestored)},
    };
    // Board texts may hold bytes that are not UTF-8; they become U+FFFD
    // rather than ending the report.
    return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}
