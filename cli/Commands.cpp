#include "cli/Commands.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <fmt/format.h>

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/OutputFile.h"
#include "cli/ProgressBar.h"
#include "platform/TerminalText.h"
#include "config/Download.h"
#include "logic/HexCodec.h"
#include "platform/System.h"
#include "platform/VBoardDir.h"
#include "session/Devices.h"
#include "wire/WireFacts.h"

namespace {

constexpr const char* kBoardName = kbr::wire::kBoardName;
constexpr const char* kConfigureHint =
    "the FPGA must be configured with the control panel design first: run `kbr370 configure`";

// Reads and writes in pieces of whole read chunks, so memory use stays small
// however large the range.
constexpr uint32_t kReadPiece = 32 * TBoard::kMaxReadChunk;

bool VirtualBoardSelected() {
    const char* cable = std::getenv("KBR370_CABLE");
    return !cable || !*cable || std::string(cable) == "virtual";
}

// The virtual board's directory must be ours before anything goes there; the
// driver checks too, but one line from us says it better than its line and ours.
void CheckVirtualBoardDirectory() {
    if (!VirtualBoardSelected())
        return;
    std::string why;
    if (platform::CheckVBoardDirectory(platform::VBoardDirectory(), why) ==
        platform::VBoardDirState::Refused)
        throw BoardFailure(why);
}

// Configuring reloads the FPGA under whoever holds the link, such as the
// panel: its program would lose the board in the middle of a command. Trying
// the link is what tells, for every cable.
void RefuseWhenLinkHeld() {
    TBoard probe;
    std::string error;
    if (!probe.Connect(error, 0) && probe.LinkInUse())
        throw BoardFailure(error + " (--force configures anyway)");
}

} // namespace

void ConnectBoard(TBoard& board) {
    CheckVirtualBoardDirectory();
    std::string error;
    if (!board.Connect(error, 0)) {
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

void RunMemRead(TBoard& board, const TMemoryInfo& memory, uint32_t address, uint32_t count,
                TOutputFile& output, const std::string& file, std::ostream& out) {
    const bool hex = IsHexFileName(file);
    std::vector<uint8_t> bytes(std::min(count, kReadPiece));
    std::vector<char> text(hex ? 2 * bytes.size() : 0);
    TProgressBar bar("read", count, "B");
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(kReadPiece, count - done);
        // Chunk by chunk, so the bar moves with every exchange.
        for (uint32_t got = 0; got < n;) {
            const uint32_t m = std::min(TBoard::kMaxReadChunk, n - got);
            const uint32_t at = done + got;
            if (!board.ReadMemory(memory.code, address + at, m, bytes.data() + got))
                throw BoardFailure(fmt::format(
                    "reading {} failed at byte 0x{:X} of 0x{:X} (address 0x{:X}); {} was not written",
                    memory.name, at, count, address + at, file));
            got += m;
            bar.Update(at + m);
        }
        if (hex) {
            EncodeHexText(bytes.data(), n, text.data());
            output.Write(text.data(), 2 * size_t{n});
        } else {
            output.Write(bytes.data(), n);
        }
        done += n;
    }
    output.Commit();
    bar.Finish();
    out << fmt::format("read 0x{:X} bytes of {} from 0x{:X} into {}\n", count, memory.name, address,
                       file);
}

void RunMemWrite(TBoard& board, const TMemoryInfo& memory, uint32_t address,
                 const std::vector<uint8_t>& data, std::ostream& out) {
    const auto count = static_cast<uint32_t>(data.size());
    TProgressBar bar("write", count, "B");
    // One request at a time, so a failure can say how far the board got.
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(TBoard::kMaxWriteChunk, count - done);
        if (!board.WriteMemory(memory.code, address + done, n, data.data() + done))
            throw BoardFailure(fmt::format(
                "writing {} failed at byte 0x{:X} of 0x{:X} (address 0x{:X}); the memory before "
                "it was written",
                memory.name, done, count, address + done));
        done += n;
        bar.Update(done);
    }
    bar.Finish();
    out << fmt::format("wrote 0x{:X} bytes to {} at 0x{:X}\n", count, memory.name, address);
}

void RunConfigure(const std::string& file, bool userFile, bool force, std::ostream& out) {
    std::error_code ec;
    const auto type = std::filesystem::status(file, ec).type();
    if (type != std::filesystem::file_type::regular) {
        const std::string reason = type == std::filesystem::file_type::not_found
                                       ? "Can not find the file: " + platform::FileNameOf(file)
                                       : file + " is not a file";
        throw userFile ? UsageError(reason) : BoardFailure(reason);
    }
    CheckVirtualBoardDirectory();
    if (!force)
        RefuseWhenLinkHeld();
    // The download tool may run from another directory: give it the full path.
    const std::string fullPath = std::filesystem::absolute(file, ec).string();
    TDownload download;
    if (!download.IsLoaded())
        throw BoardFailure("Download tool not found.");
    if (download.GetQuatusVersion() == 0)
        throw BoardFailure("Please make sure Quartus is installed!");
    out << "Configure FPGA..." << std::endl;
    if (!download.JtagDownload(ec ? file : fullPath))
        throw BoardFailure(fmt::format("download SOPC file ({}) fail!", platform::FileNameOf(file)));
    out << "Configure FPGA success\n";
}
