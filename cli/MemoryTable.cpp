#include "cli/MemoryTable.h"

#include <fmt/format.h>

#include "cli/CliError.h"
#include "wire/WireFacts.h"

const TMemoryInfo kMemories[4] = {
    {"sram", kbr::wire::kMemorySram, kbr::wire::kSramSize},
    {"eeprom", kbr::wire::kMemoryEeprom, kbr::wire::kEepromSize},
    {"sdram", kbr::wire::kMemorySdram, kbr::wire::kSdramSize},
    {"flash", kbr::wire::kMemoryFlash, kbr::wire::kFlashSize},
};

const TMemoryInfo* FindMemory(std::string_view name) {
    for (const auto& m : kMemories) {
        std::string_view want = m.name;
        if (want.size() != name.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i) {
            char c = name[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            same = c == want[i];
        }
        if (same)
            return &m;
    }
    return nullptr;
}

void CheckMemoryRange(const TMemoryInfo& memory, uint32_t address, uint64_t count) {
    if (address >= memory.size)
        throw UsageError(fmt::format("address 0x{:X} lies past the end of {} (0x{:X} bytes)", address,
                                     memory.name, memory.size));
    if (count > memory.size - address)
        throw UsageError(fmt::format("0x{:X} bytes from 0x{:X} run past the end of {} (0x{:X} bytes)",
                                     count, address, memory.name, memory.size));
}
