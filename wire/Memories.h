#pragma once
#include <cstdint>
#include <iterator>

// The board's memories, written once for the board session, the panel, the
// CLI and the virtual board: the code each memory command carries, the name
// the user sees, the size, and how the memory behaves.
namespace kbr::wire {

enum MemoryCode : uint8_t {
    kMemoryFlash = 3,
    kMemoryEeprom = 5,
    kMemorySram = 6,
    kMemorySdram = 7,
};

struct TMemory {
    MemoryCode code;
    const char* name;     // as the panel and the CLI's messages show it
    const char* argument; // as typed on the command line (any case is accepted)
    uint32_t size;        // bytes
    uint32_t wordSize;    // bytes per word; the panel's addresses count words
    uint8_t erased;       // what an untouched or erased cell holds
    bool flash;           // NOR flash: a write only clears bits, an erase restores
};

// In the order the panel's list and the CLI's help show them.
inline constexpr TMemory kMemories[] = {
    {kMemorySram, "SRAM", "sram", 2u << 20, 2, 0x00, false},
    {kMemoryEeprom, "EEPROM", "eeprom", 4u << 10, 2, 0x00, false},
    {kMemorySdram, "SDRAM", "sdram", 128u << 20, 2, 0x00, false},
    {kMemoryFlash, "FLASH", "flash", 8u << 20, 2, 0xFF, true},
};
inline constexpr int kMemoryCount = static_cast<int>(std::size(kMemories));

// Where `code` stands in the table; kMemoryCount when it is not there.
// Indices rather than pointers: the sanitizers' build cannot compare a
// pointer into a constant table with null at compile time.
constexpr int MemoryIndex(uint8_t code) {
    for (int i = 0; i < kMemoryCount; ++i)
        if (kMemories[i].code == code)
            return i;
    return kMemoryCount;
}

// The memory a command's code names, or null.
constexpr const TMemory* FindMemory(uint8_t code) {
    const int i = MemoryIndex(code);
    return i < kMemoryCount ? &kMemories[i] : nullptr;
}

// The one memory of a known code; a code not in the table does not compile
// where it is used as a constant.
constexpr const TMemory& MemoryOf(MemoryCode code) {
    const int i = MemoryIndex(code);
    if (i == kMemoryCount)
        throw "not a memory of the board";
    return kMemories[i];
}

inline constexpr const TMemory& kFlash = MemoryOf(kMemoryFlash);

// A write request carries the memory code and the address ahead of its data;
// a read reply carries the status byte ahead of its data.
inline constexpr uint32_t kMemoryWriteHeader = 5;
inline constexpr uint32_t kMemoryReadHeader = 1;

} // namespace kbr::wire
