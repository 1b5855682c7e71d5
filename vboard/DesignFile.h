#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "wire/WireFacts.h"

namespace vboard {

// Our own format of the companion design file:
//   magic "KBRDSGN\x1A" | u16 version | u16 flags (0) | u32 payload length |
//   payload: u16 info length, info text ("key=value" lines), bitstream bytes |
//   u32 CRC-32 of everything before it.
// The board accepts a file only when all of it checks out and its info names
// this board.
class TDesignFile {
  public:
    static constexpr const auto& kMagic = kbr::wire::kVirtualDesignMagic;
    static constexpr uint16_t kVersion = 1;
    static constexpr size_t kHeaderSize = 16;
    static constexpr size_t kMaxFileSize = 16u << 20;
    static constexpr const auto& kBoard = ::kbr::wire::kBoardName;

    // The design for this board, with a bitstream of `bitstreamSize` made-up bytes.
    static std::vector<uint8_t> Build(const std::string& board = kBoard,
                                      size_t bitstreamSize = 64 * 1024);
    // Writes Build() to `path`; false (with `error`) when it cannot.
    static bool Write(const std::string& path, std::string& error);

    // Empty when `bytes` is a valid design for this board, else the reason.
    static std::string Validate(const std::vector<uint8_t>& bytes);
    // The same for a file; also reports a missing or unreadable file.
    static std::string ValidateFile(const std::string& path);

    // The value of `key` in the info text of a valid file.
    static std::string InfoValue(const std::vector<uint8_t>& bytes, const std::string& key);
};

} // namespace vboard
