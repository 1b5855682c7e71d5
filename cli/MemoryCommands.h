#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "wire/Memories.h"

namespace CLI {
class App;
}
class TBoard;
class TOutputFile;

using TMemory = kbr::wire::TMemory;

// The memory of that command-line name (any case), or null.
const TMemory* FindMemoryArgument(std::string_view name);
// The same; an unknown name is a usage error.
const TMemory& MemoryArgument(const std::string& name);
// "sram (2 MiB), ..." for the help text.
std::string MemoryChoices();
// Checks that `count` bytes from `address` lie inside the memory; throws a usage error otherwise.
void CheckMemoryRange(const TMemory& memory, uint32_t address, uint64_t count);

// Reads `count` bytes into `output`, whose final name is `file` (HEX text
// when its extension is .hex); the file appears only when the whole range was read.
void RunMemRead(TBoard& board, const TMemory& memory, uint32_t address, uint32_t count,
                TOutputFile& output, const std::string& file, std::ostream& out);
// `data` was read and range-checked beforehand.
void RunMemWrite(TBoard& board, const TMemory& memory, uint32_t address,
                 const std::vector<uint8_t>& data, std::ostream& out);

// `mem erase`, `mem verify`, and read-back verification for `mem write`
// (on by default for the flash). Registers on the app's existing `mem` command.
void AddMemoryCommands(CLI::App& app);
