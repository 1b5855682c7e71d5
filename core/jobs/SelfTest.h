#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/jobs/CheckResult.h"
#include "core/jobs/CheckRun.h"
#include "core/jobs/SelfTestReport.h"

class TBoard;
class THost;

// The board checked area by area over a connected session: the device
// table's areas in order, each by the checks written beside its device's
// operations, each check's outcome added to a TSelfTestReport as it ends.
// Checks that need a person's eyes or hands ask through the host in an
// interactive run (Ask for a yes or no, Tell for what to do at the board);
// without one they drive a visible pattern and are reported as skipped. The
// host also hears the memory checks' progress, and a stop it asks for
// (StopRequested) ends the run at the next exchange. A link that fails and
// does not answer a keep-alive any more ends the run there: the report then
// says how far it got.
class TSelfTest {
  public:
    // Every area, in the order a run takes them.
    static const std::vector<std::string>& Areas();

    struct TOptions : TCheckRun::TOptions {
        std::vector<std::string> areas = Areas(); // the ones to run
    };

    // Receives each check as it ends, before it joins the report.
    using CheckDone = TCheckRun::CheckDone;

    TSelfTest(TBoard& board, TOptions options, THost& host);

    // A report of a run with `options` that starts now: the tool's version,
    // the start time and how the run was asked for.
    static TSelfTestReport StartReport(const TOptions& options);

    // Runs the chosen areas into `report`: its checks, completed and stopReason.
    void Run(TSelfTestReport& report, const CheckDone& each = {});

    // The areas `only` and `skip` (comma-separated lists; empty `only`: every
    // area) leave, in run order; nothing and `error` set when a name is
    // unknown, the areas listed.
    static std::optional<std::vector<std::string>>
    ChooseAreas(const std::string& only, const std::string& skip, std::string& error);

  private:
    TBoard& board;
    TOptions options;
    THost& host;
};
