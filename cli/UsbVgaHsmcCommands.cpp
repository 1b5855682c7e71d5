#include "cli/UsbVgaHsmcCommands.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/JsonOutput.h"
#include "core/DeviceWatch.h"
#include "core/devices/Devices.h"
#include "core/devices/HsmcReport.h"
#include "core/devices/UsbDevice.h"
#include "core/devices/VgaPattern.h"

namespace {

namespace devices = kbr::devices;

void RunUsb(TBoard& board, std::ostream& out) {
    const kbr::TDeviceWatch::TReading reading =
        kbr::TDeviceWatch::Read(board, devices::kUsb.channel);
    if (reading.outcome == kbr::TDeviceWatch::TOutcome::LinkFailed)
        throw BoardFailure("reading the USB port failed");
    if (reading.count == 0)
        throw BoardFailure("the board did not report the USB port");
    const uint8_t* data = reading.data.data();
    if (!JsonOutput()) {
        out << UsbKindWord(data[0]) << "\n";
        return;
    }
    const int kind = data[0];
    const bool known = kind >= kUsbNone && kind <= kUsbOther;
    PrintJson(out, {{"kind", kind},
                    {"device", known ? UsbKindWord(kind) : "unknown"},
                    {"name", UsbDeviceName(kind)}});
}

void RunVga(TBoard& board, uint8_t pattern) {
    bool done = false;
    board.FlushInput();
    if (!board.SendDeviceData(done, devices::kVga.channel, 1, &pattern))
        throw BoardFailure("setting the VGA pattern failed");
    if (!done)
        throw BoardFailure("the board refused the VGA pattern");
}

// The report's lines without their carriage returns and padding.
std::vector<std::string> ReportLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        line.erase(line.find_last_not_of(' ') + 1);
        lines.push_back(std::move(line));
        start = end + 2;
    }
    return lines;
}

// The failing pins as the page lists them, and the masks they come from.
nlohmann::json HsmcJson(uint32_t mask8, uint64_t mask40) {
    nlohmann::json transceivers = nlohmann::json::array(), pairs = nlohmann::json::array();
    for (int i = 0; i < 4; ++i)
        if (mask8 & (1u << i))
            transceivers.push_back(ReportLines(HsmcTransceiverLine(i)).front());
    for (int j = 0; j < 40; ++j)
        if (mask40 & (uint64_t{1} << j))
            pairs.push_back(ReportLines(HsmcPinPairLine(j)).front());
    return {{"result", HsmcPassed(mask8, mask40) ? "pass" : "fail"},
            {"transceiver_errors", std::move(transceivers)},
            {"pio_errors", std::move(pairs)},
            {"mask8", mask8},
            {"mask40", mask40}};
}

void RunHsmc(TBoard& board, std::ostream& out) {
    bool done = false;
    uint32_t mask8 = 0;
    uint64_t mask40 = 0;
    if (!board.RunLoopbackTest(done, 0, mask8, mask40))
        throw BoardFailure(devices::kHsmc.failed);
    // A refused test did not pass: the board answered, the check failed.
    if (!done)
        throw CheckFailed(devices::kHsmc.failed);
    const bool passed = HsmcPassed(mask8, mask40);
    if (JsonOutput())
        PrintJson(out, HsmcJson(mask8, mask40));
    else if (passed)
        out << "PASS\n";
    else
        for (const std::string& line : ReportLines(HsmcReportText(mask8, mask40)))
            out << line << "\n";
    if (!passed)
        throw CheckFailed(devices::kHsmc.ng);
}

} // namespace

void AddUsbVgaHsmcCommands(CLI::App& app) {
    auto* usb =
        app.add_subcommand("usb", "print the USB device: none, mouse, storage, other or \"kind N\"");
    AddJsonFlag(*usb);
    usb->callback([] { WithBoard([](TBoard& b) { RunUsb(b, std::cout); }); });

    auto pattern = std::make_shared<std::string>();
    auto* vga = app.add_subcommand("vga", "show a test pattern on the VGA output");
    vga->add_option("pattern", *pattern, "0-5, or its name: Scale, Red, Green, Blue, White, Black")
        ->required();
    vga->callback([pattern] {
        const std::optional<int> index = ParseVgaPattern(*pattern);
        if (!index)
            throw UsageError(fmt::format(
                "unknown VGA pattern \"{}\" (0-5, Scale, Red, Green, Blue, White or Black)",
                *pattern));
        WithBoard([&](TBoard& b) { RunVga(b, static_cast<uint8_t>(*index)); });
    });

    auto* hsmc =
        app.add_subcommand("hsmc", "HSMC loopback test: PASS, or NG and the failing pins (status 3)");
    AddJsonFlag(*hsmc);
    hsmc->callback([] { WithBoard([](TBoard& b) { RunHsmc(b, std::cout); }); });
}
