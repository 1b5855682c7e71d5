#include "cli/MemoryCommands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/FileName.h"
#include "cli/JsonOutput.h"
#include "cli/YesNoQuestion.h"
#include "cli/Number.h"
#include "cli/OutputFile.h"
#include "cli/ProgressBar.h"
#include "core/BoardConnection.h"
#include "core/formats/ContentFile.h"
#include "core/jobs/MemoryTransfer.h"

namespace {

using TOutcome = TMemoryTransfer::Outcome;
using TSegments = std::vector<TImageSegment>;

// A transfer whose progress moves the bar, `before` bytes having been moved earlier.
TMemoryTransfer TransferWith(TBoardConnection& connection, TProgressBar& bar, uint64_t before = 0) {
    bar.After(before);
    return TMemoryTransfer(connection.Board(), bar);
}

uint32_t ByteAddress(const std::string& text) {
    return static_cast<uint32_t>(NumberArgument(text, "address", UINT32_MAX));
}

const std::string kAddressHelp = fmt::format("byte address: {}", kNumberForms);
// Record files carry their own addresses; the argument moves them, as an offset does elsewhere.
const std::string kPlaceHelp =
    fmt::format("{}; added to a record file's ({}) addresses", kAddressHelp, RecordFormatNames());
const std::string kCountHelp = fmt::format("byte count: {}", kNumberForms);
const std::string kFileHelp = "content file, - for standard input; " + ContentExtensionsHelp(true);
const std::string kOutputHelp =
    "output file, - for standard output; " + ContentExtensionsHelp(false);
const std::string kFormatHelp = "file format, whatever the name: " + ContentFormatChoices();

std::optional<TContentFormat> FormatArgument(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    if (auto format = ContentFormatNamed(text))
        return format;
    throw UsageError(fmt::format("unknown format \"{}\" ({})", text, ContentFormatNames()));
}

uint64_t ByteCount(const TSegments& segments) {
    uint64_t bytes = 0;
    for (const TImageSegment& s : segments)
        bytes += s.bytes.size();
    return bytes;
}

// "at 0x200", or "in 3 ranges from 0x200 to 0x3FF".
std::string RangeText(const TSegments& segments) {
    if (segments.size() == 1)
        return fmt::format("at 0x{:X}", segments.front().address);
    return fmt::format("in {} ranges from 0x{:X} to 0x{:X}", segments.size(),
                       segments.front().address, segments.back().End() - 1);
}

nlohmann::json RangesJson(const TSegments& segments) {
    nlohmann::json ranges = nlohmann::json::array();
    for (const TImageSegment& s : segments)
        ranges.push_back({{"address", s.address}, {"bytes", s.bytes.size()}});
    return ranges;
}

// Prints the --json summary of a file written to or compared with a memory,
// with the one field that says how it ended.
void PrintFileSummary(const TMemory& memory, const std::string& file, const TSegments& segments,
                      const char* outcome, bool value) {
    PrintJson(std::cout, {{"memory", memory.argument},
                          {"file", file},
                          {"bytes", ByteCount(segments)},
                          {"ranges", RangesJson(segments)},
                          {outcome, value}});
}

TSegments ContentFor(const TMemory& memory, uint32_t address, const std::string& file,
                     const std::string& format) {
    CheckMemoryRange(memory, address, 1);
    // A binary file's size alone settles the range, before a large file is read.
    const uint64_t room = memory.size - address;
    TSegments segments;
    try {
        segments = ReadContentFile(file, FormatArgument(format), room);
    } catch (const TContentFileError& e) {
        throw UsageError(e.what());
    }
    if (const std::string outside = kbr::devices::PlaceSegments(memory, address, segments, file);
        !outside.empty())
        throw UsageError(outside);
    return segments;
}

// Runs `step(transfer, address, segment, before)` on each placed segment in
// turn, the bar moving over all of them; `before` is the bytes of the
// segments before it.
template <typename Step>
void EachSegment(TBoardConnection& connection, TProgressBar& bar, const TSegments& segments,
                 Step step) {
    uint64_t before = 0;
    for (const TImageSegment& s : segments) {
        TMemoryTransfer transfer = TransferWith(connection, bar, before);
        step(transfer, static_cast<uint32_t>(s.address), s, before);
        before += s.bytes.size();
    }
}

// Reads the ranges back and compares them; throws exit 3 at the first difference.
void Verify(TBoardConnection& connection, const TMemory& memory, const TSegments& segments,
            const std::string& file) {
    TProgressBar bar("verify", ByteCount(segments), "B", connection.Host());
    EachSegment(
        connection, bar, segments,
        [&](TMemoryTransfer& transfer, uint32_t address, const TImageSegment& s, uint64_t) {
            const auto r =
                transfer.Verify(memory, address, s.bytes.data(),
                                static_cast<uint32_t>(s.bytes.size()), TMemoryTransfer::ReadPlan());
            if (r.outcome == TOutcome::LinkFailed)
                throw BoardFailure(fmt::format("reading {} back failed at 0x{:X}", memory.argument,
                                               address + r.done));
            if (r.outcome == TOutcome::Differs) {
                const uint32_t at = address + r.done;
                if (JsonOutput())
                    PrintJson(std::cout, {{"memory", memory.argument},
                                          {"file", file},
                                          {"match", false},
                                          {"address", at},
                                          {"board_byte", r.boardByte},
                                          {"file_byte", r.expectedByte}});
                std::string reason =
                    fmt::format("{} differs from {} at byte address 0x{:X}: the board "
                                "holds 0x{:02X}, the file 0x{:02X}",
                                memory.argument, file, at, r.boardByte, r.expectedByte);
                if (memory.flash)
                    reason += "; a flash write can only clear bits: erase first (kbr370 mem erase)";
                throw CheckFailed(reason);
            }
        });
    bar.Finish();
}

void RunErase(THost& host, bool yes) {
    ConfirmLoss("erase the whole flash", yes);
    TBoardConnection connection(host);
    ConnectBoard(connection);
    // The bar appears once the board has told its step count.
    TProgressBar bar("erase", 0, "steps", connection.Host());
    TMemoryTransfer transfer(connection.Board(), bar);
    const auto r = transfer.Erase();
    if (r.outcome != TOutcome::Done)
        throw BoardFailure(TMemoryTransfer::EraseFailure(r));
    bar.Finish();
    std::cout << fmt::format("erased the flash in {} steps ({:.1f} s)\n", r.total,
                             r.elapsedMs / 1000.0);
}

} // namespace

const TMemory* FindMemoryArgument(std::string_view name) {
    return kbr::devices::FindMemory(name);
}

const TMemory& MemoryArgument(const std::string& name) {
    if (const TMemory* m = FindMemoryArgument(name))
        return *m;
    throw UsageError(fmt::format("unknown memory \"{}\" (sram, eeprom, sdram or flash)", name));
}

std::string MemoryChoices() {
    std::string text;
    for (const TMemory& m : kbr::devices::kMemories) {
        const bool mib = m.size >= (1u << 20);
        text += fmt::format("{}{} ({} {})", text.empty() ? "" : ", ", m.argument,
                            m.size >> (mib ? 20 : 10), mib ? "MiB" : "KiB");
    }
    return text;
}

void CheckMemoryRange(const TMemory& memory, uint32_t address, uint64_t count) {
    if (address >= memory.size)
        throw UsageError(fmt::format("address 0x{:X} lies past the end of {} (0x{:X} bytes)",
                                     address, memory.argument, memory.size));
    if (count > memory.size - address)
        throw UsageError(
            fmt::format("0x{:X} bytes from 0x{:X} run past the end of {} (0x{:X} bytes)", count,
                        address, memory.argument, memory.size));
}

void RunMemRead(TBoardConnection& connection, const TMemory& memory, uint32_t address, uint32_t count,
                TOutputFile& output, TContentFormat format, std::ostream& out) {
    TProgressBar bar("read", count, "B", connection.Host());
    const auto encoder = MakeContentEncoder(format, address, count, memory.argument);
    // A failed file write throws from here, out of the transfer.
    const auto r = TransferWith(connection, bar)
                       .ReadToFile(memory, address, count, TMemoryTransfer::ReadPlan(), *encoder,
                                   [&](const void* data, size_t n) {
                                       output.Write(data, n);
                                       return true;
                                   });
    if (!r.Ok())
        throw BoardFailure(fmt::format(
            "reading {} failed at byte 0x{:X} of 0x{:X} (address 0x{:X}); {} was not {}",
            memory.argument, r.done, count, address + r.done, output.Name(),
            output.TempPath().empty() ? "completed" : "written"));
    output.Commit();
    bar.Finish();
    // Standard output carries the data alone.
    std::ostream& to = output.IsStandardOutput() ? std::cerr : out;
    if (JsonOutput())
        PrintJson(to, {{"memory", memory.argument},
                       {"address", address},
                       {"bytes", count},
                       {"file", output.Name()},
                       {"format", ContentFormatName(format)}});
    else
        to << fmt::format("read 0x{:X} bytes of {} from 0x{:X} into {}\n", count, memory.argument,
                          address, output.Name());
}

void RunMemWrite(TBoardConnection& connection, const TMemory& memory,
                 const std::vector<TImageSegment>& segments, std::ostream& out) {
    const uint64_t total = ByteCount(segments);
    TProgressBar bar("write", total, "B", connection.Host());
    EachSegment(
        connection, bar, segments,
        [&](TMemoryTransfer& transfer, uint32_t address, const TImageSegment& s, uint64_t before) {
            // One request at a time, so a failure can say how far the board got.
            const auto r =
                transfer.Write(memory, address, s.bytes.data(),
                               static_cast<uint32_t>(s.bytes.size()), TMemoryTransfer::WritePlan());
            if (!r.Ok())
                throw BoardFailure(fmt::format("writing {} failed at byte 0x{:X} of 0x{:X} "
                                               "(address 0x{:X}); the memory before "
                                               "it was written",
                                               memory.argument, before + r.done, total,
                                               address + r.done));
        });
    bar.Finish();
    if (!JsonOutput())
        out << fmt::format("wrote 0x{:X} bytes to {} {}\n", total, memory.argument,
                           RangeText(segments));
}

void AddMemoryCommands(CLI::App& app, THost& host) {
    CLI::App* mem = app.add_subcommand("mem", "read, write, verify or erase a memory");
    mem->require_subcommand(1);
    const std::string memories = MemoryChoices();

    struct TArgs {
        std::string memory, address, count, file, format;
        bool verify = false, noVerify = false, yes = false;
    };
    auto a = std::make_shared<TArgs>();
    const auto addFormat = [&a](CLI::App* command) {
        command->add_option("--format", a->format, kFormatHelp)->type_name(ContentFormatNames());
        AddJsonFlag(*command, "print the summary as one JSON object");
    };
    // A file placed at an address of a memory; its content is read and
    // checked whole before the board is connected and `run` does its part.
    const auto addFile = [&a, &memories](CLI::App* command) {
        command->add_option("memory", a->memory, memories)->required();
        command->add_option("address", a->address, kPlaceHelp)->required();
        FileNameOption(command->add_option("file", a->file, kFileHelp))->required();
    };
    const auto onFile = [&a, &host](CLI::App* command, auto run) {
        command->callback([a, run, &host] {
            const TMemory& m = MemoryArgument(a->memory);
            const TSegments segments = ContentFor(m, ByteAddress(a->address), a->file, a->format);
            WithBoard(host, [&](TBoardConnection& c) { run(c, m, segments); });
        });
    };

    auto* read = mem->add_subcommand("read", "save a range of a memory to FILE");
    read->add_option("memory", a->memory, memories)->required();
    read->add_option("address", a->address, kAddressHelp)->required();
    read->add_option("count", a->count, kCountHelp)->required();
    FileNameOption(read->add_option("-o,--output", a->file, kOutputHelp))->required();
    addFormat(read);
    read->callback([a, &host] {
        const TMemory& m = MemoryArgument(a->memory);
        const uint32_t address = ByteAddress(a->address);
        const auto count = static_cast<uint32_t>(NumberArgument(a->count, "count", UINT32_MAX));
        if (count == 0)
            throw UsageError("count must be at least 1");
        CheckMemoryRange(m, address, count);
        const TContentFormat format =
            FormatArgument(a->format).value_or(ContentFormatOfName(a->file));
        // Created first: an unwritable place is bad usage, found before the board is touched.
        TOutputFile output(a->file);
        output.RemoveOnSignals();
        WithBoard(host, [&](TBoardConnection& c) {
            RunMemRead(c, m, address, count, output, format, std::cout);
        });
    });

    auto* write = mem->add_subcommand("write", "copy FILE into a memory");
    addFile(write);
    write->add_flag("--verify", a->verify, "read back and compare after writing");
    write->add_flag("--no-verify", a->noVerify,
                    "do not read back (the flash is read back by default)");
    addFormat(write);
    onFile(write, [a](TBoardConnection& connection, const TMemory& m, const TSegments& segments) {
        RunMemWrite(connection, m, segments, std::cout);
        const bool verify = a->verify || (m.flash && !a->noVerify);
        if (verify) {
            Verify(connection, m, segments, a->file);
            if (!JsonOutput())
                std::cout << fmt::format("verified 0x{:X} bytes\n", ByteCount(segments));
        }
        if (JsonOutput())
            PrintFileSummary(m, a->file, segments, "verified", verify);
    });

    auto* verify =
        mem->add_subcommand("verify", "compare a memory with FILE (exit 3 when they differ)");
    addFile(verify);
    addFormat(verify);
    onFile(verify, [a](TBoardConnection& connection, const TMemory& m, const TSegments& segments) {
        Verify(connection, m, segments, a->file);
        if (JsonOutput())
            PrintFileSummary(m, a->file, segments, "match", true);
        else
            std::cout << fmt::format("0x{:X} bytes of {} {} match {}\n", ByteCount(segments),
                                     m.argument, RangeText(segments), a->file);
    });

    auto* erase = mem->add_subcommand("erase", "erase the whole flash, step by step");
    erase->add_flag("-y,--yes", a->yes, "do not ask for confirmation");
    erase->callback([a, &host] { RunErase(host, a->yes); });
}
