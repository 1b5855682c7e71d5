// kbr370: the command-line client of the board. One command per run.
#include <csignal>
#include <cstring>
#include <iostream>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "board/Board.h"
#include "cli/CliError.h"
#include "config/DesignPath.h"
#include "cli/Commands.h"
#include "cli/ContentFile.h"
#include "cli/EndingSignals.h"
#include "cli/FrontPanelCommands.h"
#include "cli/HexNumber.h"
#include "cli/MemoryCommands.h"
#include "cli/MonitorCommands.h"
#include "cli/OutputFile.h"
#include "cli/UsbVgaHsmcCommands.h"
#include "platform/System.h"

namespace {

// The temporary output file, for the signal handler: an interrupted read
// must not leave it behind.
char pendingTempFile[4096];

extern "C" void RemoveTempFileAndExit(int signal) {
    if (pendingTempFile[0])
        unlink(pendingTempFile);
    _exit(128 + signal);
}

void RemoveTempFileOnSignals(const std::string& path) {
    if (path.size() >= sizeof pendingTempFile)
        return;
    std::memcpy(pendingTempFile, path.c_str(), path.size() + 1);
    struct sigaction action {};
    action.sa_handler = RemoveTempFileAndExit;
    sigemptyset(&action.sa_mask);
    for (int signal : EndingSignals())
        sigaction(signal, &action, nullptr);
}

uint32_t HexArgument(const std::string& text, const char* what, bool needPrefix) {
    const auto value = ParseHexNumber(text, needPrefix);
    if (!value)
        throw UsageError(fmt::format("{} \"{}\" is not a 32-bit hex number{}", what, text,
                                     needPrefix ? " with 0x" : ""));
    return *value;
}

constexpr unsigned kLedCount = 27;
constexpr uint32_t kMaxTimeLimitMs = 600000;

struct TArguments {
    std::string value, extra, memory, address, count, file;
    bool watch = false;
};

// Connects, runs one board command and disconnects.
template <typename Fn> void WithBoard(Fn&& command) {
    TBoard board;
    ConnectBoard(board);
    command(board);
}

int Run(int argc, char** argv) {
    CLI::App app{"Command-line client of the KBR-370 board", "kbr370"};
    app.require_subcommand(1);
    uint32_t timeLimitMs = TBoard::TLimits().replyMs;
    app.add_option("--time-limit", timeLimitMs, "how long to wait for the board's reply, in ms")
        ->check(CLI::Range(1u, kMaxTimeLimitMs))
        ->capture_default_str();
    TArguments a;
    auto* info = app.add_subcommand("info", "print the board's name and the link");
    auto* leds = app.add_subcommand("leds", "set the 27 LEDs: bit i lights LED i");
    leds->add_option("bits", a.value, "hex, bits 0-26 (0x7FFFFFF lights all)")->required();
    auto* seg7 = app.add_subcommand("seg7", "set the 7-segment digits");
    seg7->add_option("value", a.value, "hex, eight digits: digit d in bits 4d to 4d+3")->required();
    seg7->add_option("extra", a.extra,
                     "hex byte sent beside the digits (default 0; the panel sends 0)");
    auto* inputs = app.add_subcommand(
        "inputs", "print the switches and keys in hex: keys in bits 0-3, switches in bits 4-21");
    inputs->add_flag("--watch", a.watch, "print a line at every change, until interrupted");
    auto* sd = app.add_subcommand("sd", "print the SD card's registers, decoded");
    auto* mem = app.add_subcommand("mem", "read or write a memory");
    mem->require_subcommand(1);
    auto* memRead = mem->add_subcommand("read", "save a range of a memory to FILE");
    const std::string memories = MemoryChoices();
    memRead->add_option("memory", a.memory, memories)->required();
    memRead->add_option("address", a.address, "byte address, hex with 0x")->required();
    memRead->add_option("count", a.count, "byte count, hex with 0x")->required();
    memRead
        ->add_option("-o,--output", a.file,
                     "output file (.hex: HEX text, two upper-case digits a byte; else binary)")
        ->required();
    auto* memWrite = mem->add_subcommand("write", "copy FILE into a memory");
    memWrite->add_option("memory", a.memory, memories)->required();
    memWrite->add_option("address", a.address, "byte address, hex with 0x")->required();
    memWrite
        ->add_option("file", a.file, "input file (.hex: HEX text, two upper-case digits a byte; else binary)")
        ->required();
    auto* configure = app.add_subcommand("configure", "configure the FPGA with the panel's design");
    configure->add_option("file", a.file, "design file (default: $KBR370_DESIGN, else KBR_370_ControlPanel.sof beside kbr370)");
    bool force = false;
    configure->add_flag("--force", force,
                        "configure even while another program holds the board's link (it loses the board)");
    AddFrontPanelCommands(app);

    AddUsbVgaHsmcCommands(app);

    AddMonitorCommands(app);
    AddMemoryCommands(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }

    TBoard::SetDefaultLimits(TBoard::TLimits().WithReplyLimit(timeLimitMs));

    if (info->parsed())
        WithBoard([&](TBoard& b) { RunInfo(b, std::cout); });
    else if (leds->parsed()) {
        const uint32_t bits = HexArgument(a.value, "LED bits", false);
        if (bits >> kLedCount)
            throw UsageError(
                fmt::format("LED bits \"{}\" name LEDs past the {} there are (bits 0-{})", a.value,
                            kLedCount, kLedCount - 1));
        WithBoard([&](TBoard& b) { RunLeds(b, bits); });
    } else if (seg7->parsed()) {
        const uint32_t value = HexArgument(a.value, "value", false);
        const uint32_t extra = a.extra.empty() ? 0 : HexArgument(a.extra, "extra byte", false);
        if (extra > 0xFF)
            throw UsageError(fmt::format("extra byte \"{}\" does not fit one byte", a.extra));
        WithBoard([&](TBoard& b) { RunSeg7(b, value, static_cast<uint8_t>(extra)); });
    } else if (inputs->parsed())
        WithBoard([&](TBoard& b) { a.watch ? RunInputsWatch(b, std::cout) : RunInputs(b, std::cout); });
    else if (sd->parsed())
        WithBoard([&](TBoard& b) { RunSd(b, std::cout); });
    else if (memRead->parsed()) {
        const TMemory& m = MemoryArgument(a.memory);
        const uint32_t address = HexArgument(a.address, "address", true);
        const uint32_t count = HexArgument(a.count, "count", true);
        if (count == 0)
            throw UsageError("count must be at least 0x1");
        CheckMemoryRange(m, address, count);
        // Created first: an unwritable place is bad usage, found before the board is touched.
        TOutputFile output(a.file);
        RemoveTempFileOnSignals(output.TempPath());
        WithBoard([&](TBoard& b) { RunMemRead(b, m, address, count, output, a.file, std::cout); });
    } else if (memWrite->parsed()) {
        const TMemory& m = MemoryArgument(a.memory);
        const uint32_t address = HexArgument(a.address, "address", true);
        // A bad file is named first; then the size alone settles the range,
        // before a large file is read.
        CheckContentFile(a.file);
        CheckMemoryRange(m, address, ContentFileByteCount(a.file));
        const std::vector<uint8_t> data = ReadContentFile(a.file);
        CheckMemoryRange(m, address, data.size());
        WithBoard([&](TBoard& b) { RunMemWrite(b, m, address, data, std::cout); });
    } else if (configure->parsed()) {
        const bool userFile = !a.file.empty();
        RunConfigure(userFile ? a.file : DesignFilePath("KBR_370_ControlPanel.sof"),
                     userFile, force, std::cout);
    }
    return kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    platform::MakePathVariablesAbsolute();
    try {
        return Run(argc, argv);
    } catch (const TCliError& e) {
        std::cout.flush();
        if (*e.what())
            std::cerr << "kbr370: " << e.what() << "\n";
        return e.Code();
    } catch (const std::exception& e) {
        std::cerr << "kbr370: " << e.what() << "\n";
        return kExitFailure;
    }
}
