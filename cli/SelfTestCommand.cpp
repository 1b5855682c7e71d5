#include "cli/SelfTestCommand.h"

#include <chrono>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ranges.h>

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/OutputFile.h"
#include "cli/ProgressBar.h"
#include "cli/StopSignals.h"
#include "cli/YesNoQuestion.h"
#include "platform/Version.h"
#include "session/HtmlReport.h"
#include "session/JsonReport.h"
#include "session/JunitReport.h"
#include "session/SelfTest.h"

namespace {

using TResult = TCheckResult::Result;

struct TArguments {
    std::string only, skip;
    bool full = false, destructive = false, yes = false, interactive = false, loopback = false;
    std::string junit, json, html;
};

struct TReportPaths {
    std::string junit, json, html;
};

std::string NowUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// Each report asked for, from the one run.
void WriteReports(const TSelfTestReport& report, const TReportPaths& paths) {
    for (const auto& [path, text] :
         {std::pair{&paths.junit, &JunitReportText}, std::pair{&paths.json, &JsonReportText},
          std::pair{&paths.html, &HtmlReportText}}) {
        if (path->empty())
            continue;
        const std::string bytes = text(report);
        TOutputFile file(*path);
        file.Write(bytes.data(), bytes.size());
        file.Commit();
    }
}

void PrintCheck(const TCheckResult& c) {
    std::cout << fmt::format("{:<7} {}: {}: {} ({} ms)\n", ResultName(c.result), c.area, c.name,
                             c.message, c.durationMs);
    // The first faults; the reports keep them all.
    constexpr size_t kShown = 8;
    for (size_t i = 0; i < c.failures.size() && i < kShown; ++i) {
        const TCheckResult::TDetails& failure = c.failures[i];
        std::string line = "       ";
        for (const auto& [key, value] : failure)
            line += fmt::format(" {}={}", key, value);
        std::cout << line << "\n";
    }
    if (c.failures.size() > kShown)
        std::cout << fmt::format("        ... {} more in the reports\n",
                                 c.failures.size() - kShown);
    std::cout.flush();
}

// --destructive is said before anything runs, and asked on a terminal.
void ConfirmDestructive(bool yes) {
    std::cerr << "kbr370: --destructive: the flash will be erased and programmed; what it holds "
                 "now is lost.\n";
    ConfirmLoss("erase and program the flash", yes);
}

void RunSelfTest(const TArguments& a, const std::vector<std::string>& areas) {
    if (a.destructive)
        ConfirmDestructive(a.yes);
    const TReportPaths paths{a.junit, a.json, a.html};
    // Refused names and unwritable places end the run before the board is touched.
    for (const std::string* path : {&paths.junit, &paths.json, &paths.html})
        if (!path->empty())
            TOutputFile probe(*path);

    TSelfTestReport report;
    report.toolVersion = kKbrVersion;
    report.startedUtc = NowUtc();
    report.full = a.full;
    report.destructive = a.destructive;
    report.interactive = a.interactive;
    const auto start = std::chrono::steady_clock::now();
    auto finish = [&] {
        report.durationMs = uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count());
        WriteReports(report, paths);
    };

    TBoard board;
    try {
        ConnectBoard(board);
    } catch (const TCliError& e) {
        report.completed = false;
        report.stopReason = e.what();
        finish();
        throw;
    }
    board.QueryBoardName(report.board);
    report.link = board.LinkInfo;

    // The run stops at its next exchange, writes back what it touched and still
    // writes its reports.
    NoteStopSignals(false);
    std::unique_ptr<TProgressBar> bar;
    std::string barName;
    TSelfTest::TCallbacks callbacks;
    callbacks.progress = [&](const std::string& name, uint64_t done, uint64_t total) {
        if (!bar || name != barName) {
            bar = std::make_unique<TProgressBar>(name, total, "B");
            barName = name;
        }
        bar->Update(done);
    };
    callbacks.aborted = [] { return TStopSignals::Caught() != 0; };
    callbacks.done = [&](const TCheckResult& c) {
        if (bar)
            bar->Finish();
        bar.reset();
        PrintCheck(c);
    };
    callbacks.person.confirm = [](const std::string& question) { return AskYesNo(question); };
    callbacks.person.tell = [](const std::string& instruction) {
        std::cout.flush();
        std::cerr << instruction << " now\n" << std::flush;
    };

    TSelfTest::TOptions options;
    options.areas = areas;
    options.full = a.full;
    options.destructive = a.destructive;
    options.interactive = a.interactive;
    options.rs232Loopback = a.loopback;
    TSelfTest(board, options, callbacks).Run(report);
    finish();

    int counts[3] = {};
    for (const TCheckResult& c : report.checks)
        ++counts[int(c.result)];
    std::cout << fmt::format("{} passed, {} failed, {} skipped in {:.1f} s\n", counts[0], counts[1],
                             counts[2], report.durationMs / 1000.0);
    if (const int signal = TStopSignals::Caught()) {
        std::cout.flush();
        std::cerr << "kbr370: " << report.stopReason << "\n";
        std::exit(128 + signal);
    }
    if (!report.completed)
        throw BoardFailure(report.stopReason);
    if (counts[int(TResult::Failed)] > 0)
        throw CheckFailed(fmt::format("{} of {} checks failed", counts[int(TResult::Failed)],
                                      report.checks.size()));
}

} // namespace

void AddSelfTestCommand(CLI::App& app) {
    auto a = std::make_shared<TArguments>();
    const std::string areaList = fmt::format("{}", fmt::join(TSelfTest::Areas(), ","));
    auto* cmd = app.add_subcommand(
        "selftest", "check the whole board: a line per check; status 0 all passed, 3 any "
                    "failed, 1 board unreachable or lost");
    cmd->add_option("--only", a->only, "run only these areas, comma-separated: " + areaList)
        ->type_name("AREA,...");
    cmd->add_option("--skip", a->skip, "leave these areas out, comma-separated: " + areaList)
        ->type_name("AREA,...");
    cmd->add_flag("--full", a->full, "march over each whole memory and tell its throughput");
    cmd->add_flag("--destructive", a->destructive,
                  "erase and program the flash too (its content is lost); asks on a terminal");
    cmd->add_flag("-y,--yes", a->yes,
                  "do not ask before --destructive (needed without a terminal)");
    cmd->add_flag("--interactive", a->interactive,
                  "ask a person to press keys, move switches and confirm what is shown (y/n)");
    cmd->add_flag("--rs232-loopback", a->loopback,
                  "a loopback plug is on the RS232 port: send a pattern and check it comes back");
    cmd->add_option("--junit", a->junit, "write a JUnit XML report to FILE")->type_name("FILE");
    cmd->add_option("--json", a->json, "write a JSON report to FILE")->type_name("FILE");
    cmd->add_option("--html", a->html, "write an HTML report to FILE")->type_name("FILE");
    cmd->callback([a] {
        std::string error;
        const auto areas = TSelfTest::ChooseAreas(a->only, a->skip, error);
        if (!areas)
            throw UsageError(
                fmt::format("{}; the areas are {}", error, fmt::join(TSelfTest::Areas(), ", ")));
        RunSelfTest(*a, *areas);
    });
}
