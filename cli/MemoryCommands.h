#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/formats/ContentFormat.h"
#include "core/formats/RecordImage.h"
#include "core/devices/Memories.h"

namespace CLI {
class App;
}
class TBoardConnection;
class THost;
class TOutputFile;

using TMemory = kbr::devices::TMemory;

// The memory of that command-line name (any case), or null.
const TMemory* FindMemoryArgument(std::string_view name);
// The same; an unknown name is a usage error.
const TMemory& MemoryArgument(const std::string& name);
// "sram (2 MiB), ..." for the help text.
std::string MemoryChoices();
// Checks that `count` bytes from `address` lie inside the memory; throws a usage error otherwise.
void CheckMemoryRange(const TMemory& memory, uint32_t address, uint64_t count);

// Reads `count` bytes into `output` in `format`; a file appears only when the
// whole range was read. The closing line goes to `out`, or to standard error
// when the bytes go to standard output.
void RunMemRead(TBoardConnection& connection, const TMemory& memory, uint32_t address, uint32_t count,
                TOutputFile& output, TContentFormat format, std::ostream& out);
// Writes the placed segments, each range in as few exchanges as a write takes.
void RunMemWrite(TBoardConnection& connection, const TMemory& memory, const std::vector<TImageSegment>& segments,
                 std::ostream& out);

// `mem erase`, `mem verify`, and read-back verification for `mem write`
// (on by default for the flash). Registers on the app's existing `mem` command.
void AddMemoryCommands(CLI::App& app, THost& host);
