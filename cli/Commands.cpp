#include "cli/Commands.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "cli/CliError.h"
#include "cli/FileName.h"
#include "cli/FrontPanelCommands.h"
#include "cli/JsonOutput.h"
#include "cli/Number.h"
#include "cli/ResultJson.h"
#include "core/BoardConnection.h"
#include "core/devices/Inputs.h"
#include "core/devices/Leds.h"
#include "core/devices/SdCard.h"
#include "core/devices/SdCardJson.h"
#include "core/devices/Seg7Digits.h"
#include "platform/TerminalText.h"

namespace {

namespace devices = kbr::devices;

// The device operation's reason is the failure's.
void Check(const devices::TDeviceResult& result) {
    if (!result.Ok())
        throw BoardFailure(result.reason);
}

} // namespace

void WithBoard(THost& host, const std::function<void(TBoardConnection&)>& command) {
    TBoardConnection connection(host);
    ConnectBoard(connection);
    command(connection);
}

void AddBoardCommands(CLI::App& app, THost& host) {
    struct TArguments {
        std::string value, extra, file, vcd;
        bool watch = false, force = false;
    };
    auto a = std::make_shared<TArguments>();

    auto* info = app.add_subcommand("info", "print the board's name and the link");
    AddJsonFlag(*info);
    info->callback([&host] { WithBoard(host, [](TBoardConnection& c) { RunInfo(c, std::cout); }); });

    auto* leds = app.add_subcommand("leds", "set the 27 LEDs: bit i lights LED i");
    leds->add_option("bits", a->value,
                     fmt::format("bits 0-26, {} (0x7FFFFFF lights all)", kNumberForms))
        ->required();
    leds->callback([a, &host] {
        const auto bits = static_cast<uint32_t>(
            NumberArgument(a->value, "LED bits", devices::kAllLeds));
        WithBoard(host, [&](TBoardConnection& c) { RunLeds(c, bits); });
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
    seg7->callback([a, &host] {
        const auto value = static_cast<uint32_t>(NumberArgument(a->value, "value", UINT32_MAX));
        const auto extra =
            a->extra.empty() ? 0 : static_cast<uint8_t>(NumberArgument(a->extra, "extra byte", 0xFF));
        WithBoard(host, [&](TBoardConnection& c) { RunSeg7(c, value, extra); });
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
    inputs->callback([a, &host] {
        if (a->watch)
            return WatchInputs(host, a->vcd);
        WithBoard(host, [&](TBoardConnection& c) { RunInputs(c, std::cout); });
    });

    auto* sd = app.add_subcommand("sd", "print the SD card's registers, decoded");
    AddJsonFlag(*sd);
    sd->callback([&host] { WithBoard(host, [](TBoardConnection& c) { RunSd(c, std::cout); }); });

    auto* configure = app.add_subcommand("configure", "configure the FPGA with the panel's design");
    FileNameOption(configure->add_option("file", a->file,
                                         "design file (default: $KBR370_DESIGN, else "
                                         "KBR_370_ControlPanel.sof beside kbr370)"));
    configure->add_flag(
        "--force", a->force,
        "configure even while another program holds the board's link (it loses the board)");
    AddJsonFlag(*configure, "print what was done as one JSON object; no progress lines");
    configure->callback([a, &host] {
        const bool userFile = !a->file.empty();
        RunConfigure(host, userFile ? a->file : TBoardConnection::DefaultDesignFile(), userFile,
                     a->force, std::cout);
    });
}

void ConnectBoard(TBoardConnection& connection) {
    if (!connection.Connect(TBoardConnection::TPolicy::Advise))
        throw BoardFailure(connection.FailureText());
}

void RunInfo(TBoardConnection& connection, std::ostream& out) {
    const char* name = TBoardConnection::BoardName();
    if (JsonOutput())
        return PrintJson(out, {{"board", name}, {"link", connection.LinkInfo()}});
    out << "board: " << name << "\n"
        << "link: " << platform::TerminalSafe(connection.LinkInfo()) << "\n";
}

void RunLeds(TBoardConnection& connection, uint32_t bits) {
    Check(devices::SetLeds(connection, bits));
}

void RunSeg7(TBoardConnection& connection, uint32_t value, uint8_t extra) {
    Check(devices::SetSeg7(connection, value, extra));
}

void RunInputs(TBoardConnection& connection, std::ostream& out) {
    const auto inputs = devices::ReadInputs(connection);
    Check(inputs);
    if (JsonOutput())
        return PrintJson(out, InputsJson(inputs.value.value));
    out << fmt::format("0x{:08X}\n", inputs.value.value);
}

void RunSd(TBoardConnection& connection, std::ostream& out) {
    const auto card = devices::ReadSdCard(connection);
    Check(card);
    if (JsonOutput())
        return PrintJson(out, devices::SdCardJson(card.value));
    // The CID text is readable already (the card's name as Latin-1, its control
    // bytes written out); escaping its UTF-8 would spoil an accented letter.
    out << "Card Identification\n"
        << card.value.cidText << "Card Specific Data\n"
        << platform::TerminalSafe(card.value.csdText, true)
        << "File System: " << card.value.fileSystem << "\n";
}

void RunConfigure(THost& host, const std::string& file, bool userFile, bool force,
                  std::ostream& out) {
    std::error_code ec;
    const auto type = std::filesystem::status(file, ec).type();
    if (type != std::filesystem::file_type::regular) {
        const std::string reason = type == std::filesystem::file_type::not_found
                                       ? TBoardConnection::MissingFileText(file)
                                       : file + " is not a file";
        throw userFile ? UsageError(reason) : BoardFailure(reason);
    }
    if (const std::string why = TBoardConnection::RefusedCable(); !why.empty())
        throw BoardFailure(why);
    TBoardConnection connection(host);
    // Configuring reloads the FPGA under whoever holds the link, such as the
    // panel: its program would lose the board in the middle of a command.
    if (!force)
        if (const std::string held = connection.HeldLinkRefusal(); !held.empty())
            throw BoardFailure(held + " (--force configures anyway)");
    // The download tool may run from another directory: give it the full path.
    const std::string fullPath = std::filesystem::absolute(file, ec).string();
    const auto start = std::chrono::steady_clock::now();
    const bool configured = connection.Configure(ec ? file : fullPath);
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
