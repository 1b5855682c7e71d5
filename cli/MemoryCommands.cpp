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

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/ContentFile.h"
#include "cli/Number.h"
#include "cli/OutputFile.h"
#include "cli/ProgressBar.h"
#include "logic/HexCodec.h"
#include "logic/MemoryModel.h"
#include "session/MemoryTransfer.h"

namespace {

using TOutcome = TMemoryTransfer::Outcome;

// A transfer whose progress moves the bar.
TMemoryTransfer TransferWith(TBoard& board, TProgressBar& bar) {
    return TMemoryTransfer(board, [&bar](uint32_t done, uint32_t) { bar.Update(done); });
}

uint32_t ByteAddress(const std::string& text) {
    return static_cast<uint32_t>(NumberArgument(text, "address", UINT32_MAX));
}

const std::string kAddressHelp = fmt::format("byte address: {}", kNumberForms);
const std::string kCountHelp = fmt::format("byte count: {}", kNumberForms);
constexpr const char* kFileHelp =
    "content file (.hex: HEX text, two upper-case digits a byte; else binary)";

std::vector<uint8_t> ContentFor(const TMemory& memory, uint32_t address, const std::string& file) {
    // The size alone settles the range, before a large file is read.
    CheckMemoryRange(memory, address, ContentFileByteCount(file));
    std::vector<uint8_t> data = ReadContentFile(file);
    CheckMemoryRange(memory, address, data.size());
    return data;
}

// Reads the range back and compares it; throws exit 3 at the first difference.
void Verify(TBoard& board, const TMemory& memory, uint32_t address,
            const std::vector<uint8_t>& data, const std::string& file) {
    const auto count = static_cast<uint32_t>(data.size());
    TProgressBar bar("verify", count, "B");
    const auto r = TransferWith(board, bar)
                       .Verify(memory, address, data.data(), count, TMemoryTransfer::ReadPlan());
    if (r.outcome == TOutcome::LinkFailed)
        throw BoardFailure(
            fmt::format("reading {} back failed at 0x{:X}", memory.argument, address + r.done));
    if (r.outcome != TOutcome::Differs)
        return;
    std::string reason = fmt::format(
        "{} differs from {} at byte address 0x{:X}: the board holds 0x{:02X}, the file 0x{:02X}",
        memory.argument, file, address + r.done, r.boardByte, r.expectedByte);
    if (memory.flash)
        reason += "; a flash write can only clear bits: erase first (kbr370 mem erase)";
    throw CheckFailed(reason);
}

bool Confirmed() {
    std::fputs("kbr370: erase the whole flash? [y/N] ", stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return answer == "y" || answer == "Y" || answer == "yes";
}

void RunErase(bool yes) {
    if (!yes) {
        if (isatty(STDIN_FILENO) != 1)
            throw UsageError("erasing the flash needs --yes when standard input is not a terminal");
        if (!Confirmed())
            throw BoardFailure("the flash was not erased");
    }
    TBoard board;
    ConnectBoard(board);
    // The bar appears once the board has told its step count.
    std::optional<TProgressBar> bar;
    TMemoryTransfer transfer(board, [&bar](uint32_t done, uint32_t steps) {
        if (!bar)
            bar.emplace("erase", steps, "steps");
        bar->Update(done);
    });
    const auto r = transfer.Erase();
    switch (r.outcome) {
    case TOutcome::BadStepCount:
        throw BoardFailure(fmt::format("the board reports {} erase steps for the flash; it can "
                                       "have 1 to {}",
                                       r.total, kMaxEraseSteps));
    case TOutcome::Refused:
        throw BoardFailure(fmt::format("the board refused erase step {} of {}; the flash is "
                                       "partly erased",
                                       r.done, r.total));
    case TOutcome::Done:
        break;
    default:
        throw BoardFailure(fmt::format("the link failed at erase step {} of {}; the flash is "
                                       "partly erased",
                                       r.done, r.total));
    }
    bar->Finish();
    std::cout << fmt::format("erased the flash in {} steps ({:.1f} s)\n", r.total,
                             r.elapsedMs / 1000.0);
}

} // namespace

const TMemory* FindMemoryArgument(std::string_view name) {
    for (const TMemory& m : kbr::wire::kMemories) {
        const std::string_view want = m.argument;
        if (std::equal(name.begin(), name.end(), want.begin(), want.end(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == b;
            }))
            return &m;
    }
    return nullptr;
}

const TMemory& MemoryArgument(const std::string& name) {
    if (const TMemory* m = FindMemoryArgument(name))
        return *m;
    throw UsageError(fmt::format("unknown memory \"{}\" (sram, eeprom, sdram or flash)", name));
}

std::string MemoryChoices() {
    std::string text;
    for (const TMemory& m : kbr::wire::kMemories) {
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

void RunMemRead(TBoard& board, const TMemory& memory, uint32_t address, uint32_t count,
                TOutputFile& output, const std::string& file, std::ostream& out) {
    TProgressBar bar("read", count, "B");
    // A failed file write throws from here, out of the transfer.
    const auto r = TransferWith(board, bar)
                       .ReadToFile(memory, address, count, TMemoryTransfer::ReadPlan(),
                                   IsHexFileName(file), [&output](const void* data, size_t n) {
                                       output.Write(data, n);
                                       return true;
                                   });
    if (!r.Ok())
        throw BoardFailure(fmt::format(
            "reading {} failed at byte 0x{:X} of 0x{:X} (address 0x{:X}); {} was not written",
            memory.argument, r.done, count, address + r.done, file));
    output.Commit();
    bar.Finish();
    out << fmt::format("read 0x{:X} bytes of {} from 0x{:X} into {}\n", count, memory.argument,
                       address, file);
}

void RunMemWrite(TBoard& board, const TMemory& memory, uint32_t address,
                 const std::vector<uint8_t>& data, std::ostream& out) {
    const auto count = static_cast<uint32_t>(data.size());
    TProgressBar bar("write", count, "B");
    // One request at a time, so a failure can say how far the board got.
    const auto r = TransferWith(board, bar)
                       .Write(memory, address, data.data(), count, TMemoryTransfer::WritePlan());
    if (!r.Ok())
        throw BoardFailure(fmt::format(
            "writing {} failed at byte 0x{:X} of 0x{:X} (address 0x{:X}); the memory before "
            "it was written",
            memory.argument, r.done, count, address + r.done));
    bar.Finish();
    out << fmt::format("wrote 0x{:X} bytes to {} at 0x{:X}\n", count, memory.argument, address);
}

void AddMemoryCommands(CLI::App& app) {
    CLI::App* mem = app.add_subcommand("mem", "read, write, verify or erase a memory");
    mem->require_subcommand(1);
    const std::string memories = MemoryChoices();

    struct TArgs {
        std::string memory, address, count, file;
        bool verify = false, noVerify = false, yes = false;
    };
    auto a = std::make_shared<TArgs>();

    auto* read = mem->add_subcommand("read", "save a range of a memory to FILE");
    read->add_option("memory", a->memory, memories)->required();
    read->add_option("address", a->address, kAddressHelp)->required();
    read->add_option("count", a->count, kCountHelp)->required();
    read->add_option("-o,--output", a->file,
                     "output file (.hex: HEX text, two upper-case digits a byte; else binary)")
        ->required();
    read->callback([a] {
        const TMemory& m = MemoryArgument(a->memory);
        const uint32_t address = ByteAddress(a->address);
        const auto count = static_cast<uint32_t>(NumberArgument(a->count, "count", UINT32_MAX));
        if (count == 0)
            throw UsageError("count must be at least 1");
        CheckMemoryRange(m, address, count);
        // Created first: an unwritable place is bad usage, found before the board is touched.
        TOutputFile output(a->file);
        output.RemoveOnSignals();
        TBoard board;
        ConnectBoard(board);
        RunMemRead(board, m, address, count, output, a->file, std::cout);
    });

    auto* write = mem->add_subcommand("write", "copy FILE into a memory");
    write->add_option("memory", a->memory, memories)->required();
    write->add_option("address", a->address, kAddressHelp)->required();
    write->add_option("file", a->file, kFileHelp)->required();
    write->add_flag("--verify", a->verify, "read back and compare after writing");
    write->add_flag("--no-verify", a->noVerify,
                    "do not read back (the flash is read back by default)");
    write->callback([a] {
        const TMemory& m = MemoryArgument(a->memory);
        const uint32_t address = ByteAddress(a->address);
        // A bad file is named first; then the size alone settles the range,
        // before a large file is read.
        CheckContentFile(a->file);
        const std::vector<uint8_t> data = ContentFor(m, address, a->file);
        TBoard board;
        ConnectBoard(board);
        RunMemWrite(board, m, address, data, std::cout);
        if (a->verify || (m.flash && !a->noVerify)) {
            Verify(board, m, address, data, a->file);
            std::cout << fmt::format("verified 0x{:X} bytes\n", data.size());
        }
    });

    auto* verify =
        mem->add_subcommand("verify", "compare a memory with FILE (exit 3 when they differ)");
    verify->add_option("memory", a->memory, memories)->required();
    verify->add_option("address", a->address, kAddressHelp)->required();
    verify->add_option("file", a->file, kFileHelp)->required();
    verify->callback([a] {
        const TMemory& m = MemoryArgument(a->memory);
        const uint32_t address = ByteAddress(a->address);
        const std::vector<uint8_t> data = ContentFor(m, address, a->file);
        TBoard board;
        ConnectBoard(board);
        Verify(board, m, address, data, a->file);
        std::cout << fmt::format("0x{:X} bytes of {} from 0x{:X} match {}\n", data.size(),
                                 m.argument, address, a->file);
    });

    auto* erase = mem->add_subcommand("erase", "erase the whole flash, step by step");
    erase->add_flag("-y,--yes", a->yes, "do not ask for confirmation");
    erase->callback([a] { RunErase(a->yes); });
}
