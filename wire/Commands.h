#pragma once
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "wire/WireFacts.h"

// The shape of every command: what its request and its reply payload hold.
// A variable part follows the fixed one where marked (memory data); its size
// is the caller's. Replies start with the status byte.
namespace kbr::wire {

struct TCommandInfo {
    Command id;
    uint32_t request; // bytes, or the fixed part ahead of variable data
    uint32_t reply;   // bytes, or the fixed part ahead of variable data
    bool variableRequest = false;
    bool variableReply = false;
};

// A reply of the status byte alone, as to a command the board does not know.
inline constexpr uint32_t kStatusOnly = 1;

inline constexpr TCommandInfo kCommands[] = {
    {CmdQueryBoardName, 0, 17},
    {CmdKeepAlive, 0, 1},
    {CmdSetLeds, 4, 1},
    {CmdReadSwitchesAndKeys, 0, 13},
    {CmdSetSeg7, 5, 1},
    {CmdReadSdCardInfo, 0, 36},
    {CmdQueryEraseStatus, 0, 5},
    {CmdStartErase, 4, 1},
    {CmdWriteMemory, kMemoryWriteHeader, 1, true, false},
    {CmdReadMemory, 9, kMemoryReadHeader, false, true},
    {CmdRunLoopbackTest, 1, 17},
    {CmdSendDeviceData, 2 + kDeviceChunk, 1},
    {CmdReadDeviceData, 1, 2 + kDeviceChunk},
    {CmdSetDeviceMode, 2, 1},
};

// Where `id` stands in the table; past its end for a command the board does
// not know. An index, not a pointer: see MemoryIndex.
constexpr size_t CommandIndex(uint8_t id) {
    for (size_t i = 0; i < std::size(kCommands); ++i)
        if (kCommands[i].id == id)
            return i;
    return std::size(kCommands);
}

// The row of `id`, or null for a command the board does not know.
constexpr const TCommandInfo* FindCommand(uint8_t id) {
    const size_t i = CommandIndex(id);
    return i < std::size(kCommands) ? &kCommands[i] : nullptr;
}

// The row of a known command; an unknown one does not compile where constant.
constexpr const TCommandInfo& Describe(Command id) {
    const size_t i = CommandIndex(id);
    if (i == std::size(kCommands))
        throw "not a command of the board";
    return kCommands[i];
}

constexpr uint32_t RequestLength(Command id) {
    return Describe(id).request;
}
constexpr uint32_t ReplyLength(Command id) {
    return Describe(id).reply;
}

// Whether a request payload of `length` bytes has the command's shape.
constexpr bool RequestFits(const TCommandInfo& c, uint32_t length) {
    return c.variableRequest ? length >= c.request : length == c.request;
}

} // namespace kbr::wire
