#include "cli/SelfTestCommand.h"

#include <chrono>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <vector>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ranges.h>

#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/FileName.h"
#include "cli/OutputFile.h"
#include "cli/ProgressBar.h"
#include "cli/StopSignals.h"
#include "cli/YesNoQuestion.h"
#include "core/BoardConnection.h"
#include "platform/System.h"
#include "core/formats/ReportFormat.h"
#include "core/jobs/ReportParts.h"
#include "core/jobs/SelfTest.h"

namespace {

using TResult = TCheckResult::Result;

struct TArguments {
    std::string only, skip;
    bool full = false, destructive = false, yes = false, interactive = false, loopback = false;
    // The file of each report format, in the registry's order; empty: not asked for.
    std::vector<std::string> reports = std::vector<std::string>(ReportFormats().size());
};

// A report asked for: its format and the file it goes to.
struct TReportFile {
    const TReportFormatRow* format;
    std::unique_ptr<TOutputFile> file;
};

// Each report asked for, opened before the board is touched: a refused name,
// an unwritable place or one file named for two reports is bad usage.
std::vector<TReportFile> OpenReports(const std::vector<std::string>& paths) {
    std::vector<TReportFile> reports;
    for (size_t i = 0; i < paths.size(); ++i) {
        const TReportFormatRow& format = ReportFormats()[i];
        const std::string& path = paths[i];
        if (path.empty())
            continue;
        auto file = std::make_unique<TOutputFile>(path);
        for (const TReportFile& other : reports)
            if (file->SameFileAs(*other.file))
                throw UsageError(fmt::format("{} and {} name the same file ({})",
                                             other.format->option, format.option, path));
        file->RemoveOnSignals();
        reports.push_back({&format, std::move(file)});
    }
    return reports;
}

// Each report from the one run. One that cannot be written (a full disk) is
// named with its reason and the others are still written; false then.
bool WriteReports(const TSelfTestReport& report, std::vector<TReportFile>& reports) {
    bool all = true;
    for (TReportFile& r : reports) {
        try {
            r.file->Write(r.format->writer(report));
            r.file->Commit();
        } catch (const TCliError& e) {
            std::cout.flush();
            std::cerr << "kbr370: " << e.what() << "\n";
            all = false;
        }
    }
    return all;
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

void RunSelfTest(THost& host, const TArguments& a, const std::vector<std::string>& areas) {
    if (a.destructive)
        ConfirmDestructive(a.yes);
    std::vector<TReportFile> reports = OpenReports(a.reports);
    bool reportsWritten = true;

    TSelfTest::TOptions options;
    options.areas = areas;
    options.full = a.full;
    options.destructive = a.destructive;
    options.interactive = a.interactive;
    options.rs232Loopback = a.loopback;
    TSelfTestReport report = TSelfTest::StartReport(options);
    const auto start = std::chrono::steady_clock::now();
    auto finish = [&] {
        report.durationMs = uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count());
        reportsWritten = WriteReports(report, reports);
    };

    TBoardConnection connection(host);
    try {
        ConnectBoard(connection);
    } catch (const TCliError& e) {
        report.completed = false;
        report.stopReason = e.what();
        finish();
        throw;
    }
    connection.QueryBoardName(report.board);
    report.link = connection.LinkInfo();

    // The run stops at its next exchange, writes back what it touched and still
    // writes its reports.
    NoteStopSignals(false);
    // Each memory check gets a bar of its own, wiped before its line.
    TProgressBar bar("", 0, "B", host);

    TSelfTest(connection.Board(), options, bar).Run(report, [&bar](const TCheckResult& c) {
        bar.Finish();
        PrintCheck(c);
    });
    finish();

    int counts[3] = {};
    for (const TCheckResult& c : report.checks)
        ++counts[int(c.result)];
    std::cout << fmt::format("{} passed, {} failed, {} skipped in {:.1f} s\n", counts[0], counts[1],
                             counts[2], report.durationMs / 1000.0);
    // Memory left changed is said last, where it is seen, and is never a mere check failure.
    const bool unrestored = !report.unrestored.empty();
    if (!report.completed || unrestored) {
        std::cout.flush();
        if (!report.completed)
            std::cerr << "kbr370: " << report.stopReason << "\n";
        for (const std::string& line : kbr::report::UnrestoredLines(report.unrestored))
            std::cerr << "kbr370: " << line << "\n";
        std::cerr.flush();
    }
    if (const int signal = TStopSignals::Caught())
        std::exit(128 + signal);
    if (!report.completed || unrestored)
        throw ReportedFailure();
    if (!reportsWritten)
        throw BoardFailure("not every report could be written");
    if (counts[int(TResult::Failed)] > 0)
        throw CheckFailed(fmt::format("{} of {} checks failed", counts[int(TResult::Failed)],
                                      report.checks.size()));
}

} // namespace

void AddSelfTestCommand(CLI::App& app, THost& host) {
    auto a = std::make_shared<TArguments>();
    const std::string areaList = fmt::format("{}", fmt::join(TSelfTest::Areas(), ","));
    auto* cmd = app.add_subcommand(
        "selftest", "check the whole board: a line per check; status 0 all passed, 3 any "
                    "failed, 1 board unreachable or lost, or memory left holding test patterns");
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
    for (size_t i = 0; i < ReportFormats().size(); ++i) {
        const TReportFormatRow& format = ReportFormats()[i];
        FileNameOption(cmd->add_option(format.option, a->reports[i], format.help))
            ->type_name("FILE");
    }
    cmd->callback([a, &host] {
        std::string error;
        const auto areas = TSelfTest::ChooseAreas(a->only, a->skip, error);
        if (!areas)
            throw UsageError(error);
        RunSelfTest(host, *a, *areas);
    });
}
