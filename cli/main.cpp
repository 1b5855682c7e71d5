// kbr370: the command-line client of the board. One command per run.
#include <iostream>

#include <CLI/CLI.hpp>

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/FrontPanelCommands.h"
#include "cli/JsonOutput.h"
#include "cli/MemoryCommands.h"
#include "cli/MonitorCommands.h"
#include "cli/SelfTestCommand.h"
#include "cli/UsbVgaHsmcCommands.h"
#include "platform/System.h"

namespace {

constexpr uint32_t kMaxTimeLimitMs = 600000;

int Run(int argc, char** argv, bool json) {
    CLI::App app{"Command-line client of the KBR-370 board", "kbr370"};
    app.require_subcommand(1);
    uint32_t timeLimitMs = TBoard::TLimits().replyMs;
    app.add_option("--time-limit", timeLimitMs, "how long to wait for the board's reply, in ms")
        ->check(CLI::Range(1u, kMaxTimeLimitMs))
        ->capture_default_str();
    // Each group runs its command from its own callback, after parsing.
    AddBoardCommands(app);
    AddFrontPanelCommands(app);
    AddUsbVgaHsmcCommands(app);
    AddMonitorCommands(app);
    AddMemoryCommands(app);
    AddSelfTestCommand(app);
    app.parse_complete_callback([&timeLimitMs] {
        TBoard::SetDefaultLimits(TBoard::TLimits().WithReplyLimit(timeLimitMs));
    });
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (json && e.get_exit_code() != 0)
            throw UsageError(e.what());
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }
    return kExitOk;
}

void PrintError(bool json, ExitCode code, const std::string& reason) {
    std::cout.flush();
    if (json)
        PrintJson(std::cerr, JsonError(code, reason));
    else if (!reason.empty())
        std::cerr << "kbr370: " << reason << "\n";
}

} // namespace

int main(int argc, char** argv) {
    platform::MakePathVariablesAbsolute();
    const bool json = JsonAsked(argc, argv);
    try {
        return Run(argc, argv, json);
    } catch (const TCliError& e) {
        PrintError(json, e.Code(), e.what());
        return e.Code();
    } catch (const std::exception& e) {
        PrintError(json, kExitFailure, e.what());
        return kExitFailure;
    }
}
