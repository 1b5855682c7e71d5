#include "cli/Commands.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iostream>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "board/Board.h"
#include "board/SdCardRegisters.h"
#include "cli/CliError.h"
#include "cli/FileName.h"
#include "cli/FrontPanelCommands.h"
#include "cli/JsonOutput.h"
#include "cli/Number.h"
#include "cli/ResultJson.h"
#include "cli/StderrHost.h"
#include "platform/TerminalText.h"
#include "config/Download.h"
#include "config/DesignPath.h"
#include "platform/ChosenCable.h"
#include "platform/System.h"
#include "core/ConnectSequence.h"
#include "core/devices/Devices.h"
#include "wire/WireFacts.h"

namespace {

constexpr const char* kBoardName = kbr::wire::kBoardName;
constexpr const char* kConfigureHint =
    "the FPGA must be configured with the control panel design first: run `kbr370 configure`";

// The cable must be one we know, and the virtual board's directory ours,
// before anything goes there; the driver checks too, but one line from us says
// it better than its line and ours.
void CheckCable() {
    if (const std::string why = TConnectSequence::RefusedCable(); !why.empty())
        throw BoardFailure(why);
}

// The virtual board knows which program holds its link.
std::string HeldLinkText(const std::string& error) {
    if (platform::ChosenCable() != platform::kVirtualCable)
        return error;
    return error + " `kbr370-vboard list` names it.";
}

// Configuring reloads the FPGA under whoever holds the link, such as the
// panel: its program would lose the board in the middle of a command. Trying
// the link is what tells, for every cable.
void RefuseWhenLinkHeld(TBoard& probe, TConnectSequence& sequence) {
    std::string error;
    const bool opened = sequence.OpenLink(error);
    probe.Disconnect();
    if (!opened && probe.LinkInUse())
        throw BoardFailure(HeldLinkText(error) + " (--force configures anyway)");
}

constexpr unsigned kLedCount = 27;

} // namespace

void WithBoard(const std::function<void(TBoard&)>& command) {
    TBoard board;
    ConnectBoard(board);
    command(board);
}

void AddBoardCommands(CLI::App& app) {
    struct TArguments {
        std::string value, extra, file, vcd;
        bool watch = false, force = false;
    };
    auto a = std::make_shared<TArguments>();

    auto* info = app.add_subcommand("info", "print the board's name and the link");
    AddJsonFlag(*info);
    info->callback([] { WithBoard([](TBoard& b) { RunInfo(b, std::cout); }); });

    auto* leds = app.add_subcommand("leds", "set the 27 LEDs: bit i lights LED i");
    leds->add_option("bits", a->value,
                     fmt::format("bits 0-26, {} (0x7FFFFFF lights all)", kNumberForms))
        ->required();
    leds->callback([a] {
        const auto bits = static_cast<uint32_t>(
            NumberArgument(a->value, "LED bits", (uint32_t{1} << kLedCount) - 1));
        WithBoard([&](TBoard& b) { RunLeds(b, bits); });
    });

    auto* seg7 = app.add_subcommand("seg7", "set the 7-segment digits");
    seg7->add_option("value", a->value,
                     fmt::format("eight digits, digit d in bits 4d to 4d+3; {} (0x12345678 "
                                 "shows 12345678)",
                                 kNumberForms))
        ->required();
    seg7->add_option("extra", a->extra,
                     fmt::format("a byte sent beside the digits, 0-255; {} (default 0, as the "
                                 "panel sends)",
                                 kNumberForms));
    seg7->callback([a] {
        const auto value = static_cast<uint32_t>(NumberArgument(a->value, "value", UINT32_MAX));
        const auto extra =
            a->extra.empty() ? 0 : static_cast<uint8_t>(NumberArgument(a->extra, "extra byte", 0xFF));
        WithBoard([&](TBoard& b) { RunSeg7(b, value, extra); });
    });

    auto* inputs = app.add_subcommand(
        "inputs", "print the switches and keys in hex: keys in bits 0-3, switches in bits 4-21");
    auto* watch = inputs->add_flag("--watch", a->watch, "print a line at every change, until interrupted");
    FileNameOption(inputs->add_option("--vcd", a->vcd,
                                      "with --watch, also write the keys and switches to FILE "
                                      "as a VCD trace (- for standard output)"))
        ->option_text("FILE")
        ->needs(watch);
    AddJsonFlag(*inputs, "print the value as one JSON object (with --watch, one a change)");
    inputs->callback([a] {
        if (a->watch)
            return WatchInputs(a->vcd);
        WithBoard([&](TBoard& b) { RunInputs(b, std::cout); });
    });

    auto* sd = app.add_subcommand("sd", "print the SD card's registers, decoded");
    AddJsonFlag(*sd);
    sd->callback([] { WithBoard([](TBoard& b) { RunSd(b, std::cout); }); });

    auto* configure = app.add_subcommand("configure", "configure the FPGA with the panel's design");
    FileNameOption(configure->add_option("file", a->file,
                                         "design file (default: $KBR370_DESIGN, else "
                                         "KBR_370_ControlPanel.sof beside kbr370)"));
    configure->add_flag(
        "--force", a->force,
        "configure even while another program holds the board's link (it loses the board)");
    AddJsonFlag(*configure, "print what was done as one JSON object; no progress lines");
    configure->callback([a] {
        const bool userFile = !a->file.empty();
        RunConfigure(userFile ? a->file : DesignFilePath("KBR_370_ControlPanel.sof"), userFile,
                     a->force, std::cout);
    });
}

void ConnectBoard(TBoard& board) {
    CheckCable();
    board.OnBeep = [] { CliReport().Beep(); };
    TConnectSequence sequence(board, CliReport());
    std::string error;
    if (!sequence.OpenLink(error)) {
        // Configuring mends only a board that does not answer. A held link has
        // its own advice, and the library has told any other cause already
        // (Quartus, the cable, the chain) in a line of its own.
        if (board.LinkInUse())
            throw BoardFailure(HeldLinkText(error));
        if (!board.LinkUnanswered())
            throw BoardFailure(error);
        throw BoardFailure(fmt::format("{} The board does not answer; {}", error, kConfigureHint));
    }
    std::string name;
    if (!board.QueryBoardName(name))
        throw BoardFailure(fmt::format("the board does not tell its name; {}", kConfigureHint));
    if (name != kBoardName)
        throw BoardFailure(fmt::format("the board answers as \"{}\", not {}; {}",
                                       platform::TerminalSafe(name), kBoardName, kConfigureHint));
}

void RunInfo(TBoard& board, std::ostream& out) {
    if (JsonOutput())
        return PrintJson(out, {{"board", kBoardName}, {"link", board.LinkInfo}});
    out << "board: " << kBoardName << "\n"
        << "link: " << platform::TerminalSafe(board.LinkInfo) << "\n";
}

void RunLeds(TBoard& board, uint32_t bits) {
    if (!board.SetLeds(bits))
        throw BoardFailure("setting the LEDs failed");
}

void RunSeg7(TBoard& board, uint32_t value, uint8_t extra) {
    if (!board.SetSeg7(value, extra))
        throw BoardFailure("setting the 7-segment digits failed");
}

void RunInputs(TBoard& board, std::ostream& out) {
    uint32_t value = 0;
    if (!board.ReadSwitchesAndKeys(value))
        throw BoardFailure("reading the switches and keys failed");
    if (JsonOutput())
        return PrintJson(out, InputsJson(value));
    out << fmt::format("0x{:08X}\n", value);
}

void RunSd(TBoard& board, std::ostream& out) {
    bool done = false;
    TBoard::TSdCardRegisters registers;
    if (!board.ReadSdCardRegisters(done, registers))
        throw BoardFailure(kbr::devices::kSdCard.failed);
    if (!done)
        throw BoardFailure(std::string(kbr::devices::kSdCard.missing) + " " +
                           kbr::devices::kSdCard.plugHint);
    if (JsonOutput())
        return PrintJson(out, SdJson(registers));
    // The CID text is readable already (the card's name as Latin-1, its control
    // bytes written out); escaping its UTF-8 would spoil an accented letter.
    out << "Card Identification\n"
        << CidText(registers.cid) << "Card Specific Data\n"
        << platform::TerminalSafe(CsdText(registers.csd), true)
        << "File System: " << FileSystemName(registers.fileSystem) << "\n";
}

void RunConfigure(const std::string& file, bool userFile, bool force, std::ostream& out) {
    std::error_code ec;
    const auto type = std::filesystem::status(file, ec).type();
    if (type != std::filesystem::file_type::regular) {
        const std::string reason = type == std::filesystem::file_type::not_found
                                       ? TConnectSequence::MissingFileText(file)
                                       : file + " is not a file";
        throw userFile ? UsageError(reason) : BoardFailure(reason);
    }
    CheckCable();
    TStderrHost report(out, std::cerr);
    TBoard board;
    TConnectSequence sequence(board, report);
    if (!force)
        RefuseWhenLinkHeld(board, sequence);
    // The download tool may run from another directory: give it the full path.
    const std::string fullPath = std::filesystem::absolute(file, ec).string();
    TDownload download;
    sequence.ReportLoadError(download);
    const auto start = std::chrono::steady_clock::now();
    const bool configured = sequence.Configure(download, ec ? file : fullPath);
    if (JsonOutput()) {
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        PrintJson(out, {{"file", ec ? file : fullPath},
                        {"cable", ChosenCableName()},
                        {"configured", configured},
                        {"duration_ms", took.count()}});
    }
    if (!configured)
        throw ReportedFailure();
}
