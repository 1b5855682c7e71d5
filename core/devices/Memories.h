#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/devices/DeviceResult.h"
#include "core/formats/RecordImage.h"
#include "wire/Memories.h"

class TBoardConnection;

// The board's four memories (SRAM, EEPROM, SDRAM, flash): their table, and
// whole reads and writes of a range, in as many exchanges as it takes.
namespace kbr::devices {

using TMemory = wire::TMemory;
// In the order the panel's list and kbr370's help show them.
inline constexpr const auto& kMemories = wire::kMemories;

// The memory of that command-line name ("sram", any case), or null.
const TMemory* FindMemory(std::string_view name);

// How far a read or write got: on a failure, `done` bytes went through first.
struct TMemoryResult : TDeviceResult {
    uint32_t done = 0;
};

// Reads `count` bytes from `address` into `out` (resized to `count`).
TMemoryResult ReadMemory(TBoardConnection& connection, const TMemory& memory, uint32_t address,
                         uint32_t count, std::vector<uint8_t>& out);
// Writes `bytes` from `address` on. The flash only clears bits: erase it first.
TMemoryResult WriteMemory(TBoardConnection& connection, const TMemory& memory, uint32_t address,
                          const std::vector<uint8_t>& bytes);

// A transfer that broke off at byte address `at`: the connection loses the
// link, and the result says where, as every front end says it.
TMemoryResult LinkLostAt(TBoardConnection& connection, const char* verb, const TMemory& memory,
                         uint32_t at);

// Moves a content file's segments from their places relative to `address`
// to their memory addresses; the reason, naming `file`, when one does not lie
// inside the memory, else empty.
std::string PlaceSegments(const TMemory& memory, uint32_t address,
                          std::vector<TImageSegment>& segments, const std::string& file);

// The self test's "memories" area: each memory by the memory checks (TMemoryCheck).
void CheckMemories(TCheckRun& run);

} // namespace kbr::devices
