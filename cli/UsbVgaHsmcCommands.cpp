#include "cli/UsbVgaHsmcCommands.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/JsonOutput.h"
#include "core/BoardConnection.h"
#include "core/devices/Devices.h"
#include "core/devices/HsmcReport.h"
#include "core/devices/UsbDevice.h"
#include "core/devices/VgaPattern.h"

namespace {

namespace devices = kbr::devices;

void RunUsb(TBoardConnection& connection, std::ostream& out) {
    const devices::TDeviceValue<int> usb = devices::ReadUsbDevice(connection);
    if (!usb.Ok())
        throw BoardFailure(usb.reason);
    const int kind = usb.value;
    if (!JsonOutput()) {
        out << UsbKindWord(kind) << "\n";
        return;
    }
    PrintJson(out, {{"kind", kind},
                    {"device", IsKnownUsbKind(kind) ? UsbKindWord(kind) : "unknown"},
                    {"name", UsbDeviceName(kind)}});
}

void RunVga(TBoardConnection& connection, uint8_t pattern) {
    const devices::TDeviceResult result = devices::SetVgaPattern(connection, pattern);
    if (!result.Ok())
        throw BoardFailure(result.reason);
}

// The failing pins as the page lists them, and the masks they come from.
nlohmann::json HsmcJson(const devices::THsmcResult& hsmc) {
    return {{"result", hsmc.Passed() ? "pass" : "fail"},
            {"transceiver_errors", hsmc.transceiverErrors},
            {"pio_errors", hsmc.pioErrors},
            {"mask8", hsmc.mask8},
            {"mask40", hsmc.mask40}};
}

void RunHsmc(TBoardConnection& connection, std::ostream& out) {
    const auto test = devices::RunHsmcTest(connection);
    if (test.outcome == devices::TOutcome::LinkFailed)
        throw BoardFailure(test.reason);
    // A refused test did not pass: the board answered, the check failed.
    if (!test.Ok())
        throw CheckFailed(test.reason);
    const devices::THsmcResult& hsmc = test.value;
    if (JsonOutput())
        PrintJson(out, HsmcJson(hsmc));
    else if (hsmc.Passed())
        out << "PASS\n";
    else
        for (const std::string& line : HsmcReportLines(hsmc.mask8, hsmc.mask40))
            out << line << "\n";
    if (!hsmc.Passed())
        throw CheckFailed(devices::kHsmc.ng);
}

} // namespace

void AddUsbVgaHsmcCommands(CLI::App& app, THost& host) {
    auto* usb =
        app.add_subcommand("usb", "print the USB device: none, mouse, storage, other or \"kind N\"");
    AddJsonFlag(*usb);
    usb->callback([&host] { WithBoard(host, [](TBoardConnection& c) { RunUsb(c, std::cout); }); });

    auto pattern = std::make_shared<std::string>();
    auto* vga = app.add_subcommand("vga", "show a test pattern on the VGA output");
    vga->add_option("pattern", *pattern, "0-5, or its name: Scale, Red, Green, Blue, White, Black")
        ->required();
    vga->callback([pattern, &host] {
        const std::optional<int> index = ParseVgaPattern(*pattern);
        if (!index)
            throw UsageError(fmt::format(
                "unknown VGA pattern \"{}\" (0-5, Scale, Red, Green, Blue, White or Black)",
                *pattern));
        WithBoard(host, [&](TBoardConnection& c) { RunVga(c, static_cast<uint8_t>(*index)); });
    });

    auto* hsmc =
        app.add_subcommand("hsmc", "HSMC loopback test: PASS, or NG and the failing pins (status 3)");
    AddJsonFlag(*hsmc);
    hsmc->callback([&host] { WithBoard(host, [](TBoardConnection& c) { RunHsmc(c, std::cout); }); });
}
