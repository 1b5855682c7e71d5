#include "core/devices/Memories.h"

#include <algorithm>
#include <cctype>

#include <fmt/format.h>

#include "core/BoardConnection.h"
#include "core/jobs/CheckRun.h"
#include "core/jobs/MemoryCheck.h"
#include "core/jobs/MemoryTransfer.h"

namespace kbr::devices {

namespace {

// A transfer that stopped: the link is lost, with where it broke off.
TMemoryResult Ended(TBoardConnection& connection, const TMemoryTransfer::TResult& r,
                    const char* verb, const TMemory& memory, uint32_t address) {
    TMemoryResult result;
    if (!r.Ok())
        result = LinkLostAt(connection, verb, memory, address + r.done);
    result.done = r.done;
    return result;
}

} // namespace

TMemoryResult LinkLostAt(TBoardConnection& connection, const char* verb, const TMemory& memory,
                         uint32_t at) {
    TMemoryResult result;
    result.outcome = TOutcome::LinkFailed;
    result.reason = fmt::format("{} {} failed at address 0x{:X}", verb, memory.argument, at);
    connection.LoseLink(result.reason);
    return result;
}

const TMemory* FindMemory(std::string_view name) {
    for (const TMemory& m : kMemories) {
        const std::string_view want = m.argument;
        if (std::equal(name.begin(), name.end(), want.begin(), want.end(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == b;
            }))
            return &m;
    }
    return nullptr;
}

TMemoryResult ReadMemory(TBoardConnection& connection, const TMemory& memory, uint32_t address,
                         uint32_t count, std::vector<uint8_t>& out) {
    out.assign(count, 0);
    const auto r = TMemoryTransfer(connection.Board())
                       .ReadInto(memory, address, count, TMemoryTransfer::ReadPlan(), out.data());
    return Ended(connection, r, "reading", memory, address);
}

TMemoryResult WriteMemory(TBoardConnection& connection, const TMemory& memory, uint32_t address,
                          const std::vector<uint8_t>& bytes) {
    const auto r = TMemoryTransfer(connection.Board())
                       .Write(memory, address, bytes.data(), static_cast<uint32_t>(bytes.size()),
                              TMemoryTransfer::WritePlan());
    return Ended(connection, r, "writing", memory, address);
}

std::string PlaceSegments(const TMemory& memory, uint32_t address,
                          std::vector<TImageSegment>& segments, const std::string& file) {
    for (TImageSegment& s : segments) {
        const uint64_t at = address + s.address;
        const std::string where =
            address == 0 || s.address == 0
                ? fmt::format("0x{:X}", at)
                : fmt::format("0x{:X} (its 0x{:X} + 0x{:X})", at, s.address, address);
        if (at >= memory.size || s.bytes.size() > memory.size - at)
            return fmt::format("{}: 0x{:X} bytes at {} run past the end of {} (0x{:X} bytes)", file,
                               s.bytes.size(), where, memory.argument, memory.size);
        s.address = at;
    }
    return {};
}

void CheckMemories(TCheckRun& run) {
    TMemoryCheck check(run.Board(), run.Host());
    TMemoryCheck::TOptions how;
    how.full = run.Options().full;
    how.destructive = run.Options().destructive;
    for (const wire::TMemory& memory : wire::kMemories) {
        if (run.Stopped())
            return;
        const TMemoryCheck::TRun one = check.Run(memory, how);
        for (const TCheckResult& result : one.checks)
            run.Add(result);
        run.LeftChanged(one.unrestored);
        run.Note(one.linkLost, one.aborted);
    }
}

} // namespace kbr::devices
