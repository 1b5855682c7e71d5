#pragma once
#include <cstdint>
#include <string_view>

// A memory of the board as the memory commands address it.
struct TMemoryInfo {
    const char* name;   // as typed on the command line
    uint8_t code;       // memory number sent in every memory command
    uint32_t size;      // bytes
};

// The four memories, in the order the help text lists them.
extern const TMemoryInfo kMemories[4];

// The memory of that name (any case), or null.
const TMemoryInfo* FindMemory(std::string_view name);

// Checks that `count` bytes from `address` lie inside the memory; throws a usage error otherwise.
void CheckMemoryRange(const TMemoryInfo& memory, uint32_t address, uint64_t count);
