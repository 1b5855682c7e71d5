#include "cli/FrontPanelCommands.h"

#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/JsonOutput.h"
#include "cli/OutputFile.h"
#include "cli/ResultJson.h"
#include "cli/StopSignals.h"
#include "core/BoardConnection.h"
#include "core/devices/Devices.h"
#include "core/devices/Inputs.h"
#include "core/devices/LcdText.h"
#include "core/formats/VcdWriter.h"
#include "platform/Version.h"

namespace {

// The switches page polls at this period; a watch sees what the page sees.
constexpr auto kWatchPeriod = std::chrono::milliseconds(kbr::devices::kSwitchesPollMs);

std::string CheckedLcdLine(const std::string& line, int number) {
    if (const std::string fault = kbr::devices::LcdLineFault(line, number); !fault.empty())
        throw UsageError(fault);
    return line;
}

void RunLcd(TBoardConnection& connection, const std::string& line0, const std::string& line1) {
    const kbr::devices::TDeviceResult result = kbr::devices::SetLcdText(connection, line0, line1);
    if (!result.Ok())
        throw BoardFailure(result.reason);
}

void RunInputsWatch(TBoardConnection& connection, TOutputFile* vcdFile) {
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now(); // from the first reading on: the trace begins at time 0
    const auto sinceStart = [&start] {
        return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    };
    std::ostringstream vcdText;
    std::optional<TVcdWriter> vcd;
    if (vcdFile)
        vcd.emplace(vcdText, "kbr370", InputNames(), std::string("kbr370 ") + kKbrVersion);
    const bool lines = !vcdFile || !vcdFile->IsStandardOutput();
    // The trace's new text goes out at once; standard output keeps its own
    // stream, so a closed pipe ends the watch as it does without a trace.
    const auto putTrace = [&] {
        if (!lines)
            std::cout << vcdText.str() << std::flush;
        else if (vcdFile)
            vcdFile->Write(vcdText.str());
        vcdText.str("");
    };
    // However the watch ends, the trace so far is kept.
    const auto keepTrace = [&] {
        if (vcdFile)
            vcdFile->Commit();
    };
    const TStopSignals signals;
    bool first = true;
    uint32_t shown = 0;
    for (;;) {
        const auto inputs = kbr::devices::ReadInputs(connection);
        if (!inputs.Ok()) {
            keepTrace();
            throw BoardFailure(inputs.reason);
        }
        const uint32_t value = inputs.value.value;
        if (first || value != shown) {
            if (first)
                start = Clock::now();
            const auto timeUs = sinceStart();
            if (vcd) {
                vcd->Sample(static_cast<uint64_t>(timeUs), value);
                putTrace();
            }
            if (lines && JsonOutput()) {
                PrintJson(std::cout, StampedLine(InputsJson(value), timeUs / 1000));
            } else if (lines) {
                std::cout << fmt::format("0x{:08X}\n", value) << std::flush;
            }
            shown = value;
            first = false;
        }
        // A closed pipe has raised SIGPIPE, which ends the watch as a signal does;
        // any other write error is a failure of its own.
        const bool written = static_cast<bool>(std::cout);
        signals.Wait(written ? static_cast<int>(kWatchPeriod.count()) : 0);
        const int signal = TStopSignals::Caught();
        if (signal || TStopSignals::OutputGone()) {
            if (vcd) {
                vcd->Finish(static_cast<uint64_t>(sinceStart()));
                putTrace();
            }
            keepTrace();
            if (signal)
                throw TCliError(static_cast<ExitCode>(128 + signal), {});
            throw BoardFailure(kOutputGone);
        }
        if (!written) {
            keepTrace();
            throw BoardFailure("writing standard output failed");
        }
    }
}

} // namespace

void WatchInputs(THost& host, const std::string& vcdFile) {
    RequireStandardOutput();
    // The file is made before the board is touched: a name that cannot be
    // written is the user's to fix, and costs no connection. It appears,
    // whole, when the watch ends.
    std::optional<TOutputFile> file;
    if (!vcdFile.empty())
        file.emplace(vcdFile);
    if (file && file->IsStandardOutput() && JsonOutput())
        throw UsageError(fmt::format("--vcd {} and --json would both write standard output",
                                     vcdFile));
    TBoardConnection connection(host);
    ConnectBoard(connection);
    RunInputsWatch(connection, file ? &*file : nullptr);
}

void AddFrontPanelCommands(CLI::App& app, THost& host) {
    auto lines = std::make_shared<std::array<std::string, 2>>();
    CLI::App* lcd = app.add_subcommand(
        "lcd", fmt::format("put two lines of at most {} characters on the LCD", kLcdLineLength));
    lcd->add_option("line0", (*lines)[0], "first line")->required();
    lcd->add_option("line1", (*lines)[1], "second line")->required();
    lcd->callback([lines, &host] {
        const std::string line0 = CheckedLcdLine((*lines)[0], 0);
        const std::string line1 = CheckedLcdLine((*lines)[1], 1);
        WithBoard(host, [&](TBoardConnection& c) { RunLcd(c, line0, line1); });
    });
}
