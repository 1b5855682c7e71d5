#include "cli/Commands.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <vector>

#include <fmt/format.h>

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/StderrReporter.h"
#include "platform/TerminalText.h"
#include "config/Download.h"
#include "platform/System.h"
#include "session/ConnectSequence.h"
#include "session/Devices.h"
#include "wire/WireFacts.h"

namespace {

constexpr const char* kBoardName = kbr::wire::kBoardName;
constexpr const char* kConfigureHint =
    "the FPGA must be configured with the control panel design first: run `kbr370 configure`";

// The virtual board's directory must be ours before anything goes there; the
// driver checks too, but one line from us says it better than its line and ours.
void CheckVirtualBoardDirectory() {
    if (const std::string why = TConnectSequence::RefusedDirectory(); !why.empty())
        throw BoardFailure(why);
}

// Configuring reloads the FPGA under whoever holds the link, such as the
// panel: its program would lose the board in the middle of a command. Trying
// the link is what tells, for every cable.
void RefuseWhenLinkHeld(TBoard& probe, TConnectSequence& sequence) {
    std::string error;
    const bool opened = sequence.OpenLink(error);
    probe.Disconnect();
    if (!opened && probe.LinkInUse())
        throw BoardFailure(error + " (--force configures anyway)");
}

} // namespace

void ConnectBoard(TBoard& board) {
    CheckVirtualBoardDirectory();
    board.OnBeep = [] { CliReport().Beep(); };
    TConnectSequence sequence(board, CliReport());
    std::string error;
    if (!sequence.OpenLink(error)) {
        // Then the board answers fine, just not to us.
        if (board.LinkInUse())
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
    out << fmt::format("0x{:08X}\n", value);
}

void RunSd(TBoard& board, std::ostream& out) {
    bool done = false;
    std::string csd, cid, fileSystem;
    if (!board.ReadSdCardInfo(done, csd, cid, fileSystem))
        throw BoardFailure(kbr::devices::kSdCard.failed);
    if (!done)
        throw BoardFailure(std::string(kbr::devices::kSdCard.missing) + " " +
                           kbr::devices::kSdCard.plugHint);
    // The CID text is readable already (the card's name as Latin-1, its control
    // bytes written out); escaping its UTF-8 would spoil an accented letter.
    out << "Card Identification\n"
        << cid << "Card Specific Data\n"
        << platform::TerminalSafe(csd, true) << "File System: " << platform::TerminalSafe(fileSystem) << "\n";
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
    CheckVirtualBoardDirectory();
    TStderrReporter report(out, std::cerr);
    TBoard board;
    TConnectSequence sequence(board, report);
    if (!force)
        RefuseWhenLinkHeld(board, sequence);
    // The download tool may run from another directory: give it the full path.
    const std::string fullPath = std::filesystem::absolute(file, ec).string();
    TDownload download;
    sequence.ReportLoadError(download);
    if (!sequence.Configure(download, ec ? file : fullPath))
        throw ReportedFailure();
}
