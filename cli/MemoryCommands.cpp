#include "cli/MemoryCommands.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "board/Board.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/ContentFile.h"
#include "cli/HexNumber.h"
#include "cli/MemoryTable.h"
#include "cli/ProgressBar.h"
#include "logic/MemoryModel.h"

namespace {

// "The board answered, the check failed."
const auto kExitCheckFailed = static_cast<ExitCode>(3);

const TMemoryInfo& Memory(const std::string& name) {
    if (const TMemoryInfo* m = FindMemory(name))
        return *m;
    throw UsageError(fmt::format("unknown memory \"{}\" (sram, eeprom, sdram or flash)", name));
}

uint32_t ByteAddress(const std::string& text) {
    const auto value = ParseHexNumber(text, true);
    if (!value)
        throw UsageError(fmt::format("address \"{}\" is not a 32-bit hex number with 0x", text));
    return *value;
}

std::vector<uint8_t> ContentFor(const TMemoryInfo& memory, uint32_t address, const std::string& file) {
    // The size alone settles the range, before a large file is read.
    CheckMemoryRange(memory, address, ContentFileByteCount(file));
    std::vector<uint8_t> data = ReadContentFile(file);
    CheckMemoryRange(memory, address, data.size());
    return data;
}

// Reads the range back and compares it; throws exit 3 at the first difference.
void Verify(TBoard& board, const TMemoryInfo& memory, uint32_t address,
            const std::vector<uint8_t>& data, const std::string& file) {
    const auto count = static_cast<uint32_t>(data.size());
    TProgressBar bar("verify", count, "B");
    std::vector<uint8_t> chunk(TBoard::kMaxReadChunk);
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(TBoard::kMaxReadChunk, count - done);
        if (!board.ReadMemory(memory.code, address + done, n, chunk.data()))
            throw BoardFailure(fmt::format("reading {} back failed at 0x{:X}", memory.name,
                                           address + done));
        for (uint32_t i = 0; i < n; ++i) {
            if (chunk[i] == data[done + i])
                continue;
            std::string reason = fmt::format(
                "{} differs from {} at byte address 0x{:X}: the board holds 0x{:02X}, the file 0x{:02X}",
                memory.name, file, address + done + i, chunk[i], data[done + i]);
            if (memory.code == 3)
                reason += "; a flash write can only clear bits: erase first (kbr370 mem erase)";
            throw TCliError(kExitCheckFailed, reason);
        }
        done += n;
        bar.Update(done);
    }
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
    const auto start = std::chrono::steady_clock::now();
    const uint32_t steps = board.QueryEraseStatus();
    if (!EraseStepCountValid(steps))
        throw BoardFailure(fmt::format("the board reports {} erase steps for the flash; it can "
                                       "have 1 to {}", steps, kMaxEraseSteps));
    TProgressBar bar("erase", steps, "steps");
    for (uint32_t i = 0; i < steps; ++i) {
        bool done = false;
        if (!board.StartErase(done, static_cast<uint16_t>(i)))
            throw BoardFailure(fmt::format("the link failed at erase step {} of {}; the flash is "
                                           "partly erased", i, steps));
        if (!done)
            throw BoardFailure(fmt::format("the board refused erase step {} of {}; the flash is "
                                           "partly erased", i, steps));
        bar.Update(i + 1);
    }
    bar.Finish();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << fmt::format("erased the flash in {} steps ({:.1f} s)\n", steps, seconds);
}

} // namespace

void AddMemoryCommands(CLI::App& app) {
    CLI::App* mem = app.get_subcommand("mem");

    auto* erase = mem->add_subcommand("erase", "erase the whole flash, step by step");
    auto yes = std::make_shared<bool>(false);
    erase->add_flag("-y,--yes", *yes, "do not ask for confirmation");
    erase->callback([yes] { RunErase(*yes); });

    struct VerifyArgs {
        std::string memory, address, file;
    };
    auto v = std::make_shared<VerifyArgs>();
    auto* verify = mem->add_subcommand("verify", "compare a memory with FILE (exit 3 when they differ)");
    verify->add_option("memory", v->memory, "sram, eeprom, sdram or flash")->required();
    verify->add_option("address", v->address, "byte address, hex with 0x")->required();
    verify->add_option("file", v->file, "content file (.hex: HEX text)")->required();
    verify->callback([v] {
        const TMemoryInfo& m = Memory(v->memory);
        const uint32_t address = ByteAddress(v->address);
        const std::vector<uint8_t> data = ContentFor(m, address, v->file);
        TBoard board;
        ConnectBoard(board);
        Verify(board, m, address, data, v->file);
        std::cout << fmt::format("0x{:X} bytes of {} from 0x{:X} match {}\n", data.size(), m.name,
                                 address, v->file);
    });

    // A write that is to be read back is carried out here, in full; a plain
    // write is left to the write command itself.
    CLI::App* write = mem->get_subcommand("write");
    auto checks = std::make_shared<std::pair<bool, bool>>(false, false);
    write->add_flag("--verify", checks->first, "read back and compare after writing");
    write->add_flag("--no-verify", checks->second, "do not read back (the flash is read back by default)");
    write->callback([write, checks] {
        const std::string name = write->get_option("memory")->as<std::string>();
        const TMemoryInfo* m = FindMemory(name);
        if (!m)
            return;
        const bool verify = checks->first || (m->code == 3 && !checks->second);
        if (!verify)
            return;
        const std::string file = write->get_option("file")->as<std::string>();
        const uint32_t address = ByteAddress(write->get_option("address")->as<std::string>());
        const std::vector<uint8_t> data = ContentFor(*m, address, file);
        TBoard board;
        ConnectBoard(board);
        RunMemWrite(board, *m, address, data, std::cout);
        Verify(board, *m, address, data, file);
        std::cout << fmt::format("verified 0x{:X} bytes\n", data.size());
        throw CLI::Success();
    });
}
