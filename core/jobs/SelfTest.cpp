#include "core/jobs/SelfTest.h"

#include <algorithm>
#include <sstream>

#include "core/devices/DeviceTable.h"
#include "core/devices/MemoryModel.h"
#include "platform/System.h"
#include "platform/Version.h"

namespace {

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        item.erase(0, item.find_first_not_of(' '));
        item.erase(item.find_last_not_of(' ') + 1);
        std::transform(item.begin(), item.end(), item.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (!item.empty())
            items.push_back(item);
    }
    return items;
}

} // namespace

const std::vector<std::string>& TSelfTest::Areas() {
    static const std::vector<std::string> areas = [] {
        std::vector<std::string> names;
        for (const kbr::devices::TArea& area : kbr::devices::kAreas)
            names.emplace_back(area.name);
        return names;
    }();
    return areas;
}

std::optional<std::vector<std::string>>
TSelfTest::ChooseAreas(const std::string& only, const std::string& skip, std::string& error) {
    const std::vector<std::string> wanted = SplitList(only), skipped = SplitList(skip);
    for (const auto* list : {&wanted, &skipped})
        for (const std::string& name : *list)
            if (std::find(Areas().begin(), Areas().end(), name) == Areas().end()) {
                error = FormatText("unknown area \"%s\"; the areas are ", name.c_str());
                for (const std::string& area : Areas())
                    error += (area == Areas().front() ? "" : ", ") + area;
                return std::nullopt;
            }
    std::vector<std::string> areas;
    for (const std::string& area : Areas()) {
        const bool in = wanted.empty() || std::count(wanted.begin(), wanted.end(), area);
        if (in && !std::count(skipped.begin(), skipped.end(), area))
            areas.push_back(area);
    }
    return areas;
}

TSelfTestReport TSelfTest::StartReport(const TOptions& options) {
    TSelfTestReport report;
    report.toolVersion = kKbrVersion;
    report.startedUtc = platform::UtcTimestamp();
    report.full = options.full;
    report.destructive = options.destructive;
    report.interactive = options.interactive;
    return report;
}

TSelfTest::TSelfTest(TBoard& board, TOptions options, THost& host)
    : board(board), options(std::move(options)), host(host) {}

void TSelfTest::Run(TSelfTestReport& into, const CheckDone& each) {
    TCheckRun run(board, options, host, into, each);
    for (const kbr::devices::TArea& area : kbr::devices::kAreas) {
        if (run.Stopped())
            break;
        if (std::count(options.areas.begin(), options.areas.end(), area.name))
            area.check(run);
    }
    if (run.Stopped()) {
        into.completed = false;
        // The check that met the loss failed; those after it were not run.
        auto last =
            std::find_if(into.checks.rbegin(), into.checks.rend(), [](const TCheckResult& c) {
                return c.result == TCheckResult::Result::Failed;
            });
        if (!run.LinkLost() || last == into.checks.rend())
            last = into.checks.rbegin();
        const std::string where =
            last == into.checks.rend() ? std::string("the start") : last->area + ": " + last->name;
        into.stopReason = run.LinkLost() ? "The link to the board was lost during " + where + "."
                                         : "Stopped after " + where + ".";
    }
}
