#include "cli/FrontPanelCommands.h"

#include <chrono>
#include <memory>
#include <thread>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "logic/LcdText.h"
#include "session/Devices.h"

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

} // namespace

void RunInputsWatch(TBoard& board, std::ostream& out) {
    bool first = true;
    uint32_t shown = 0;
    for (;;) {
        uint32_t value = 0;
        if (!board.ReadSwitchesAndKeys(value))
            throw BoardFailure("reading the switches and keys failed");
        if (first || value != shown) {
            out << fmt::format("0x{:08X}\n", value) << std::flush;
            shown = value;
            first = false;
        }
        std::this_thread::sleep_for(kWatchPeriod);
    }
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
