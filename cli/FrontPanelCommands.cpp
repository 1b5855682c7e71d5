#include "cli/FrontPanelCommands.h"

#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/JsonOutput.h"
#include "cli/OutputFile.h"
#include "cli/ResultJson.h"
#include "cli/StopSignals.h"
#include "core/devices/Devices.h"
#include "core/devices/LcdText.h"
#include "core/formats/VcdWriter.h"
#include "platform/Version.h"

namespace {

// The switches page polls at this period; a watch sees what the page sees.
constexpr auto kWatchPeriod = std::chrono::milliseconds(kbr::devices::kSwitchesPollMs);

std::string CheckedLcdLine(const std::string& line, int number) {
    if (line.size() > kLcdLineLength)
        throw UsageError(fmt::format("line {} has {} characters; the display shows at most {}",
                                     number, line.size(), kLcdLineLength));
    // A line feed would move text to the other line; no control character shows on the display.
    for (const char c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            throw UsageError(fmt::format("line {} holds a control character", number));
    return line;
}

void RunLcd(TBoard& board, const std::string& line0, const std::string& line1) {
    const std::vector<uint8_t> text = LcdText(line0, line1);
    bool done = false;
    if (!board.SendDeviceData(done, kbr::devices::kLcd.channel, static_cast<uint32_t>(text.size()),
                              text.data()))
        throw BoardFailure(kbr::devices::kLcd.failed);
    if (!done)
        throw BoardFailure(kbr::devices::kLcd.refused);
}

void RunInputsWatch(TBoard& board, TOutputFile* vcdFile) {
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
        uint32_t value = 0;
        if (!board.ReadSwitchesAndKeys(value)) {
            keepTrace();
            throw BoardFailure("reading the switches and keys failed");
        }
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

void WatchInputs(const std::string& vcdFile) {
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
    TBoard board;
    ConnectBoard(board);
    RunInputsWatch(board, file ? &*file : nullptr);
}

void AddFrontPanelCommands(CLI::App& app) {
    auto lines = std::make_shared<std::array<std::string, 2>>();
    CLI::App* lcd = app.add_subcommand(
        "lcd", fmt::format("put two lines of at most {} characters on the LCD", kLcdLineLength));
    lcd->add_option("line0", (*lines)[0], "first line")->required();
    lcd->add_option("line1", (*lines)[1], "second line")->required();
    lcd->callback([lines] {
        const std::string line0 = CheckedLcdLine((*lines)[0], 0);
        const std::string line1 = CheckedLcdLine((*lines)[1], 1);
        TBoard board;
        ConnectBoard(board);
        RunLcd(board, line0, line1);
    });
}
