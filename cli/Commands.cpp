#include "cli/Commands.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include <fmt/format.h>

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/OutputFile.h"
#include "config/Download.h"
#include "pages/logic/HexCodec.h"
#include "platform/System.h"
#include "wire/WireFacts.h"

namespace {

constexpr const char* kBoardName = kbr::wire::kBoardName;
constexpr const char* kConfigureHint =
    "the FPGA must be configured with the control panel design first: run `kbr370 configure`";

// Reads and writes in pieces of whole read chunks, so memory use stays small
// however large the range.
constexpr uint32_t kReadPiece = 32 * TBoard::kMaxReadChunk;

} // namespace

void ConnectBoard(TBoard& board) {
    std::string error;
    if (!board.Connect(error, 0))
        throw BoardFailure(fmt::format("{} The board does not answer; {}", error, kConfigureHint));
    std::string name;
    if (!board.QueryBoardName(name))
        throw BoardFailure(fmt::format("the board does not tell its name; {}", kConfigureHint));
    if (name != kBoardName)
        throw BoardFailure(fmt::format("the board answers as \"{}\", not {}; {}", name, kBoardName,
                                       kConfigureHint));
}

void RunInfo(TBoard& board, std::ostream& out) {
    out << "board: " << kBoardName << "\n"
        << "link: " << board.LinkInfo << "\n";
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
        throw BoardFailure("Failed to access SDCARD.");
    if (!done)
        throw BoardFailure(
            "Failed to access the SDCARD. Please make sure a SDCARD is pluged into the KBR-370.");
    out << "Card Identification\n"
        << cid << "Card Specific Data\n"
        << csd << "File System: " << fileSystem << "\n";
}

void RunMemRead(TBoard& board, const TMemoryInfo& memory, uint32_t address, uint32_t count,
                TOutputFile& output, const std::string& file, std::ostream& out) {
    const bool hex = IsHexFileName(file);
    std::vector<uint8_t> bytes(std::min(count, kReadPiece));
    std::vector<char> text(hex ? 2 * bytes.size() : 0);
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(kReadPiece, count - done);
        if (!board.ReadMemory(memory.code, address + done, n, bytes.data()))
            throw BoardFailure(fmt::format("reading {} failed at 0x{:X}..0x{:X}; {} was not written",
                                           memory.name, address + done, address + done + n - 1, file));
        if (hex) {
            EncodeHexText(bytes.data(), n, text.data());
            output.Write(text.data(), 2 * size_t{n});
        } else {
            output.Write(bytes.data(), n);
        }
        done += n;
    }
    output.Commit();
    out << fmt::format("read 0x{:X} bytes of {} from 0x{:X} into {}\n", count, memory.name, address,
                       file);
}

void RunMemWrite(TBoard& board, const TMemoryInfo& memory, uint32_t address,
                 const std::vector<uint8_t>& data, std::ostream& out) {
    const auto count = static_cast<uint32_t>(data.size());
    if (!board.WriteMemory(memory.code, address, count, data.data()))
        throw BoardFailure(fmt::format("writing 0x{:X} bytes to {} at 0x{:X} failed", count,
                                       memory.name, address));
    out << fmt::format("wrote 0x{:X} bytes to {} at 0x{:X}\n", count, memory.name, address);
}

void RunConfigure(const std::string& file, bool userFile, std::ostream& out) {
    if (!platform::FileExists(file)) {
        const std::string reason = "Can not find the file: " + platform::FileNameOf(file);
        throw userFile ? UsageError(reason) : BoardFailure(reason);
    }
    // The download tool may run from another directory: give it the full path.
    std::error_code ec;
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
