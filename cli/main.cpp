// kbr370: the command-line client of the board. One command per run.
#include <cstdlib>
#include <iostream>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/EndingSignals.h"
#include "cli/FrontPanelCommands.h"
#include "cli/JsonOutput.h"
#include "cli/MemoryCommands.h"
#include "cli/MonitorCommands.h"
#include "cli/Number.h"
#include "cli/SelfTestCommand.h"
#include "cli/StderrHost.h"
#include "cli/UsageText.h"
#include "cli/UsbVgaHsmcCommands.h"
#include "core/BoardConnection.h"
#include "platform/ChosenCable.h"
#include "platform/StandardDescriptors.h"
#include "platform/System.h"
#include "platform/TerminalText.h"
#include "platform/Version.h"

namespace {

constexpr uint32_t kMaxTimeLimitMs = 600000;

// --cable NAME wins over the environment, and reaches the drivers through it:
// they read it in this process, and quartus_pgm is handed the name too.
void ChooseCable(const std::string& name) {
    if (const std::string mistake = CableMistake(name); !mistake.empty())
        throw UsageError(mistake);
    setenv("KBR370_CABLE", name.c_str(), 1);
    const std::string kind = platform::ChosenCable();
    if (kind == platform::kVirtualCable || kind == platform::kBlasterCable) {
        unsetenv("KBR370_BLASTER");
        return;
    }
    setenv("KBR370_CABLE", platform::kBlasterCable, 1);
    setenv("KBR370_BLASTER", name.c_str(), 1);
}

int Run(CLI::App& app, THost& host, int argc, char** argv) {
    app.require_subcommand(1);
    app.set_version_flag("--version", fmt::format("kbr370 {}", kKbrVersion),
                         "print the program's name and version, and exit");
    std::string timeLimit = std::to_string(TBoardConnection::BoardReplyLimitMs());
    app.add_option("--time-limit", timeLimit,
                   fmt::format("how long to wait for the board's reply, in milliseconds "
                               "(1 to {}; {})",
                               kMaxTimeLimitMs, kNumberForms))
        ->type_name("MS")
        ->capture_default_str();
    std::string cable;
    app.add_option("--cable", cable,
                   "the board's cable: virtual, usb-blaster, or a cable's name as jtagconfig "
                   "lists it, such as \"USB-Blaster on labhost [1-1.4]\" (default: "
                   "$KBR370_CABLE and $KBR370_BLASTER, else virtual)")
        ->type_name("virtual|usb-blaster|NAME");
    // Each group runs its command from its own callback, after parsing.
    AddBoardCommands(app, host);
    AddFrontPanelCommands(app, host);
    AddUsbVgaHsmcCommands(app, host);
    AddMonitorCommands(app, host);
    AddMemoryCommands(app, host);
    AddSelfTestCommand(app, host);
    app.parse_complete_callback([&timeLimit, &cable] {
        const auto ms =
            static_cast<uint32_t>(NumberArgument(timeLimit, "time limit", kMaxTimeLimitMs));
        if (ms == 0)
            throw UsageError("the time limit must be at least 1 ms");
        TBoardConnection::SetDefaultReplyLimit(ms);
        if (!cable.empty())
            ChooseCable(cable);
    });
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() != 0)
            throw UsageError(UsageText(app, e, std::vector<std::string>(argv + 1, argv + argc)));
        return app.exit(e) == 0 ? kExitOk : kExitUsage;
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
    platform::OpenStandardDescriptors();
    ExitOnEndingSignals();
    platform::MakePathVariablesAbsolute();
    CLI::App app{"Command-line client of the KBR-370 board", "kbr370"};
    // What the commands tell besides their results: standard output and error.
    TStderrHost host(std::cout, std::cerr);
    try {
        return Run(app, host, argc, argv);
    } catch (const TCliError& e) {
        PrintError(JsonAsked(app), e.Code(), e.what());
        return e.Code();
    } catch (const std::exception& e) {
        PrintError(JsonAsked(app), kExitFailure, e.what());
        return kExitFailure;
    }
}
