#include "core/jobs/MemoryCheck.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "board/Board.h"
#include "core/ForwardingHost.h"
#include "core/devices/MemoryModel.h"
#include "core/jobs/MemoryTransfer.h"
#include "core/jobs/ReportParts.h"

namespace {

using Clock = std::chrono::steady_clock;
using TResult = TCheckResult::Result;

// Largest exchange both ways, whole words: the march reads and writes alike.
constexpr uint32_t kChunk = std::min(TBoard::kMaxReadChunk, TBoard::kMaxWriteChunk) & ~3u;
// Where the destructive flash check walks its bits: one word per pattern, in
// sector 0, clear of every power of two the address check programs.
constexpr uint32_t kFlashBusWords = 0xC0;
// A write-back exchange is tried this often before its bytes count as lost;
// the link counts as down when this many keep-alives in a row go unanswered.
constexpr int kWriteBackTries = 3;
constexpr int kKeepAliveTries = 3;

std::string Hex(uint32_t value, int digits = 6) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string Byte(uint8_t value) {
    return Hex(value, 2);
}

uint32_t MsSince(Clock::time_point start) {
    return uint32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

std::string RangeText(uint32_t address, uint32_t count) {
    return Hex(address) + "-" + Hex(address + count - 1);
}

// `bytes` at `address` added to `ranges`, joined to the last one where they meet.
void AddRange(std::vector<TPatternRange>& ranges, const char* memory, uint32_t address,
              uint32_t bytes) {
    if (!ranges.empty() && ranges.back().memory == memory &&
        ranges.back().address + ranges.back().bytes == address) {
        ranges.back().bytes += bytes;
        return;
    }
    ranges.push_back({memory, address, bytes});
}

std::string FaultText(const char* memory, const TMemoryFault& f) {
    if (f.line >= 0)
        return FormatText("%s: address line %d is stuck or shorted: byte %s reads %s, expected %s",
                          memory, f.line, Hex(f.address).c_str(), Byte(f.read).c_str(),
                          Byte(f.expected).c_str());
    return FormatText("%s: byte %s bit %d reads %d, expected %d (read %s, expected %s)", memory,
                      Hex(f.address).c_str(), f.bit, (f.read >> f.bit) & 1,
                      (f.expected >> f.bit) & 1, Byte(f.read).c_str(), Byte(f.expected).c_str());
}

uint64_t BytesPerSecond(uint64_t bytes, uint32_t ms) {
    return bytes * 1000 / std::max(ms, 1u);
}

} // namespace

// The host of one exchange of a check: the bytes it moves are told as the
// check's, and a stop is asked of the host only while the check still runs.
class TMemoryCheck::TExchangeHost : public TForwardingHost {
  public:
    explicit TExchangeHost(TMemoryCheck& check)
        : TForwardingHost(&check.host), check(check), before(check.done) {}

    void TaskProgress(uint64_t moved, uint64_t) override {
        check.done = before + moved;
        TForwardingHost::TaskProgress(std::min(check.done, check.total), check.total);
    }
    bool StopRequested() override {
        if (check.Stopped())
            return true;
        check.aborted = TForwardingHost::StopRequested();
        return check.aborted;
    }

  private:
    TMemoryCheck& check;
    const uint64_t before;
};

TMemoryCheck::TMemoryCheck(TBoard& board, THost& host) : board(board), host(host) {}

TMemoryCheck::TRun TMemoryCheck::Run(const TMemory& which, const TOptions& how) {
    memory = &which;
    options = how;
    linkLost = aborted = exchangeFailed = false;
    notRun.clear();
    unrestored.clear();
    eraseSteps = 0;
    saved.clear();

    struct TStep {
        const char* what;
        uint64_t traffic;
        void (TMemoryCheck::*body)(TCheckResult&, TFaultList&);
    };
    // Bytes each check moves, for its progress: what it saves, then what it
    // writes and reads (written back bytes are not told).
    const uint64_t window = Window();
    const auto lines = uint64_t(AddressLines(memory->size));
    const uint64_t word = memory->wordSize, walked = 2 * 8 * word * word;
    std::vector<TStep> steps;
    if (!memory->flash) {
        steps = {{"data bus", word + 2 * walked, &TMemoryCheck::DataBus},
                 {"address bus", (lines + 1) * (lines + 4), &TMemoryCheck::AddressBus},
                 {"march", window + MarchTraffic(uint32_t(window)), &TMemoryCheck::March}};
    } else if (options.destructive) {
        steps = {{"data bus", 2 * walked, &TMemoryCheck::FlashDataBus},
                 {"address bus", 4 * lines + 1, &TMemoryCheck::FlashAddressBus},
                 {"march", 3 * window, &TMemoryCheck::FlashMarch}};
    } else {
        steps = {{"data bus", 0, nullptr},
                 {"address bus", 0, nullptr},
                 {"read-only sample", 0, &TMemoryCheck::FlashSample}};
    }

    TRun run;
    for (const TStep& step : steps) {
        TCheckResult result;
        if (linkLost || aborted || !notRun.empty() || !step.body) {
            result = Named(step.what);
            result.result = TResult::Skipped;
            result.message = !step.body ? "The flash is only read unless the check may erase it."
                             : linkLost ? "Not run: the link was lost."
                             : !notRun.empty() ? "Not run: " + notRun
                                               : "Not run: stopped.";
        } else {
            result = Check(step.what, step.traffic,
                           [&](TCheckResult& r, TFaultList& f) { (this->*step.body)(r, f); });
        }
        run.checks.push_back(std::move(result));
    }
    run.linkLost = linkLost;
    run.aborted = aborted;
    run.restored = unrestored.empty();
    run.unrestored = unrestored;
    return run;
}

TCheckResult TMemoryCheck::Named(const std::string& what) const {
    TCheckResult result;
    result.area = kArea;
    result.name = std::string(memory->name) + " " + what;
    return result;
}

TCheckResult TMemoryCheck::Check(const std::string& what, uint64_t traffic, const Body& body) {
    TCheckResult result = Named(what);
    host.TaskStarted(result.name);
    done = 0;
    total = traffic;
    exchangeFailed = false;
    TFaultList faults(options.faultLimit);
    const Clock::time_point start = Clock::now();
    body(result, faults);
    const std::vector<TPatternRange> left = Restore();
    result.durationMs = MsSince(start);

    for (const TMemoryFault& f : faults.faults) {
        TCheckResult::TDetails d = {{"memory", memory->name}, {"address", Hex(f.address)}};
        if (f.line >= 0)
            d.emplace_back("address_line", std::to_string(f.line));
        else
            d.emplace_back("bit", std::to_string(f.bit));
        d.emplace_back("expected", Byte(f.expected));
        d.emplace_back("read", Byte(f.read));
        if (memory->flash && eraseSteps > 0)
            d.emplace_back("sector", std::to_string(SectorOf(memory->size, eraseSteps, f.address)));
        result.failures.push_back(std::move(d));
    }
    if (!faults.Empty()) {
        result.details.emplace_back("faults", std::to_string(faults.total));
        result.result = TResult::Failed;
        const TMemoryFault& first = faults.faults.front();
        result.message = FaultText(memory->name, first);
        if (memory->flash && eraseSteps > 0)
            result.message +=
                FormatText(" in sector %u", SectorOf(memory->size, eraseSteps, first.address));
        if (faults.total > 1)
            result.message += FormatText(" (%zu faults)", faults.total);
    }
    const bool found = result.result == TResult::Failed;
    auto failWith = [&](const std::string& what) {
        result.result = TResult::Failed;
        result.message = what + (found ? "; before that: " + result.message : std::string("."));
    };
    if (linkLost)
        failWith("The link was lost during the check");
    else if (exchangeFailed)
        failWith("The board did not answer an exchange during the check, though it still "
                 "answers keep-alives");
    else if (!left.empty())
        failWith("Not every byte could be written back");
    else if (aborted && !found) {
        result.result = TResult::Skipped;
        result.message = "Stopped before it ended.";
    }
    if (!left.empty()) {
        // "restored" stays as readers know it; the ranges follow.
        result.details.emplace_back("restored", kbr::report::NotRestoredDetail(left));
        unrestored.insert(unrestored.end(), left.begin(), left.end());
    }
    if (!Stopped())
        host.TaskProgress(total, total);
    return result;
}

// ---- exchanges -------------------------------------------------------------

bool TMemoryCheck::Exchange(uint32_t address, uint32_t count, uint8_t* read, const uint8_t* write) {
    TExchangeHost exchangeHost(*this);
    TMemoryTransfer transfer(board, exchangeHost);
    TMemoryTransfer::TPlan plan = write ? TMemoryTransfer::WritePlan() : TMemoryTransfer::ReadPlan();
    plan.askFirst = true;
    const TMemoryTransfer::TResult result =
        write ? transfer.Write(*memory, address, write, count, plan)
              : transfer.ReadInto(*memory, address, count, plan, read);
    if (result.outcome == TMemoryTransfer::Outcome::LinkFailed) {
        exchangeFailed = true;
        linkLost = !LinkAnswers(board);
    }
    return result.Ok();
}

bool TMemoryCheck::Save(uint32_t address, uint32_t count) {
    std::vector<uint8_t> bytes(count);
    if (!Read(address, count, bytes.data()))
        return false;
    saved.emplace_back(address, std::move(bytes));
    return true;
}

bool TMemoryCheck::LinkAnswers(TBoard& board) {
    for (int i = 0; i < kKeepAliveTries; ++i)
        if (board.Ping())
            return true;
    return false;
}

// Neither a stop nor a lost link keeps us from trying: the user's data comes
// first, and a reply lost on the way is no reason to leave the rest behind.
TMemoryCheck::TWriteBack TMemoryCheck::WriteBack(TBoard& board, const TMemory& memory,
                                                 const TSaved& saved) {
    TWriteBack out;
    TMemoryTransfer::TPlan plan = TMemoryTransfer::WritePlan();
    plan.tries = kWriteBackTries;
    for (const auto& [address, bytes] : saved) {
        const auto count = uint32_t(bytes.size());
        if (count == 0)
            continue;
        // Once the link is down, nothing more is tried.
        if (out.linkDown) {
            AddRange(out.left, memory.name, address, count);
            continue;
        }
        TMemoryTransfer(board).Write(memory, address, bytes.data(), count, plan,
                                     [&](uint32_t at, uint32_t n) {
                                         AddRange(out.left, memory.name, address + at, n);
                                         out.linkDown = out.linkDown || !LinkAnswers(board);
                                         return !out.linkDown;
                                     });
    }
    return out;
}

std::vector<TPatternRange> TMemoryCheck::Restore() {
    const TWriteBack back = WriteBack(board, *memory, saved);
    saved.clear();
    linkLost = linkLost || back.linkDown;
    return back.left;
}

void TMemoryCheck::EndFlashChecks(TCheckResult& result, const std::string& why) {
    result.result = TResult::Failed;
    result.message = why;
    notRun = why;
}

bool TMemoryCheck::EraseSectors(const std::set<uint32_t>& sectors, TCheckResult& result) {
    for (uint32_t sector : sectors) {
        if (Stopped())
            return false;
        if (host.StopRequested()) {
            aborted = true;
            return false;
        }
        bool erased = false;
        const bool ok = TMemoryTransfer::EraseStep(board, static_cast<uint16_t>(sector), erased);
        if (!ok) {
            exchangeFailed = true;
            linkLost = !LinkAnswers(board);
            return false;
        }
        if (!erased) {
            // What follows would read unerased cells as faults.
            EndFlashChecks(result, FormatText("%s: the board refused to erase sector %u.",
                                              memory->name, sector));
            return false;
        }
    }
    return true;
}

// ---- what is checked where -------------------------------------------------

uint32_t TMemoryCheck::Window() const {
    if (options.full)
        return memory->size;
    return std::min(memory->size, std::max(options.quickWindow, memory->wordSize)) /
           memory->wordSize * memory->wordSize;
}

std::vector<uint32_t> TMemoryCheck::AddressOffsets() const {
    std::vector<uint32_t> offsets = {0};
    for (int line = 0; line < AddressLines(memory->size); ++line)
        offsets.push_back(1u << line);
    return offsets;
}

uint32_t TMemoryCheck::KnownEraseSteps(TCheckResult& result) {
    if (eraseSteps == 0) {
        const uint32_t steps = board.QueryEraseStatus();
        eraseSteps = EraseStepCountValid(steps) ? steps : 0;
    }
    if (eraseSteps == 0)
        EndFlashChecks(result, "FLASH: the board did not tell an erase sector count it can have.");
    return eraseSteps;
}

void TMemoryCheck::FlashSectorsOf(uint32_t address, uint32_t count, std::set<uint32_t>& sectors) {
    const uint32_t first = SectorOf(memory->size, eraseSteps, address);
    const uint32_t last = SectorOf(memory->size, eraseSteps, address + count - 1);
    for (uint32_t s = first; s <= last; ++s)
        sectors.insert(s);
}

// ---- the checks ------------------------------------------------------------

void TMemoryCheck::DataBus(TCheckResult& result, TFaultList& faults) {
    const uint32_t at = 0;
    const uint32_t word = memory->wordSize;
    result.details = {{"address", Hex(at)}, {"data_lines", std::to_string(word * 8)}};
    result.message = FormatText("%u data lines walked with ones and zeros at byte %s", word * 8,
                                Hex(at).c_str());
    if (!Save(at, word))
        return;
    std::vector<uint8_t> got(word);
    for (const std::vector<uint8_t>& pattern : WalkingPatterns(word)) {
        if (!Write(at, word, pattern.data()) || !Read(at, word, got.data()))
            return;
        faults.Compare(at, pattern.data(), got.data(), word);
    }
}

// A byte at 0 and at every power of two. First every line's byte holds the
// pattern and 0 the antipattern: a line whose byte reads the antipattern
// reaches 0 (stuck low). Then, with 0 back at the pattern, each line's byte
// in turn gets the antipattern, and no other byte may change (stuck high,
// shorted lines).
void TMemoryCheck::AddressBus(TCheckResult& result, TFaultList& faults) {
    const std::vector<uint32_t> offsets = AddressOffsets();
    const int lines = int(offsets.size()) - 1;
    result.details = {{"address_lines", std::to_string(lines)}};
    result.message = FormatText("%d address lines, a byte at 0 and at each power of two", lines);
    for (uint32_t offset : offsets)
        if (!Save(offset, 1))
            return;

    constexpr uint8_t P = kAddressPattern, A = kAddressAntiPattern;
    std::vector<bool> bad(size_t(lines), false);
    for (int k = 0; k < lines; ++k)
        if (!WriteByte(offsets[size_t(k) + 1], P))
            return;
    if (!WriteByte(0, A))
        return;
    uint8_t v = 0;
    for (int k = 0; k < lines; ++k) {
        const uint32_t at = offsets[size_t(k) + 1];
        if (!ReadByte(at, v))
            return;
        if (v == A) {
            faults.Add({.address = at, .expected = P, .read = v, .line = k});
            bad[size_t(k)] = true;
        } else {
            faults.CompareByte(at, P, v);
        }
    }
    if (!ReadByte(0, v))
        return;
    faults.CompareByte(0, A, v);

    if (!WriteByte(0, P))
        return;
    for (int k = 0; k < lines; ++k) {
        if (bad[size_t(k)])
            continue;
        const uint32_t at = offsets[size_t(k) + 1];
        if (!WriteByte(at, A))
            return;
        for (size_t j = 0; j < offsets.size(); ++j) {
            if (j == size_t(k) + 1 || (j > 0 && bad[j - 1]))
                continue;
            if (!ReadByte(offsets[j], v))
                return;
            if (v == A) {
                faults.Add({.address = offsets[j], .expected = P, .read = v, .line = k});
                bad[size_t(k)] = true;
            } else {
                faults.CompareByte(offsets[j], P, v);
            }
        }
        if (!WriteByte(at, P))
            return;
    }
}

// One element over [0, window), chunk by chunk in its direction: each chunk
// is read and checked, then written.
bool TMemoryCheck::Element(const TMarchElement& e, uint32_t window, TFaultList& faults) {
    std::vector<uint8_t> got(std::min(kChunk, window)), fill(got.size(), uint8_t(e.write));
    const uint32_t chunks = (window + kChunk - 1) / kChunk;
    for (uint32_t i = 0; i < chunks; ++i) {
        const uint32_t at = (e.descending ? chunks - 1 - i : i) * kChunk;
        const uint32_t n = std::min(kChunk, window - at);
        if (e.read >= 0) {
            if (!Read(at, n, got.data()))
                return false;
            faults.CompareFill(at, uint8_t(e.read), got.data(), n);
        }
        if (e.write >= 0 && !Write(at, n, fill.data()))
            return false;
    }
    return true;
}

void TMemoryCheck::Throughput(TCheckResult& result, const char* what, uint32_t window,
                              uint64_t bytes, uint32_t ms) {
    const uint64_t rate = BytesPerSecond(bytes, ms);
    result.details.emplace_back("bytes_moved", std::to_string(bytes));
    result.details.emplace_back("bytes_per_second", std::to_string(rate));
    result.message = FormatText("%s %s, %llu KiB/s", what, RangeText(0, window).c_str(),
                                static_cast<unsigned long long>(rate / 1024));
}

void TMemoryCheck::March(TCheckResult& result, TFaultList& faults) {
    const uint32_t window = Window();
    result.details = {{"window", RangeText(0, window)}, {"window_bytes", std::to_string(window)}};
    if (!Save(0, window))
        return;
    const uint64_t before = done;
    const Clock::time_point start = Clock::now();
    for (const TMarchElement& e : kMarchCMinus)
        if (!Element(e, window, faults))
            return;
    Throughput(result, "March C- over", window, done - before, MsSince(start));
}

// Read-only: the same bytes read twice must agree (a floating data line does
// not), at every sector, so every part of the flash answers.
void TMemoryCheck::FlashSample(TCheckResult& result, TFaultList& faults) {
    const uint32_t steps = KnownEraseSteps(result);
    if (steps == 0)
        return;
    // The bytes read at sector `s`: its start, or all of it.
    auto sample = [&](uint32_t s) {
        const uint32_t at = SectorStart(memory->size, steps, s);
        const uint32_t length = SectorStart(memory->size, steps, s + 1) - at;
        return std::make_pair(at, options.full ? length : std::min(length, kFlashSample));
    };
    total = 0;
    for (uint32_t s = 0; s < steps; ++s)
        total += 2 * uint64_t{sample(s).second};
    uint32_t erased = 0;
    std::vector<uint8_t> first, second;
    for (uint32_t s = 0; s < steps; ++s) {
        const auto [at, n] = sample(s);
        first.resize(n);
        second.resize(n);
        if (!Read(at, n, first.data()) || !Read(at, n, second.data()))
            return;
        faults.Compare(at, first.data(), second.data(), n);
        erased +=
            std::all_of(first.begin(), first.end(), [&](uint8_t b) { return b == memory->erased; });
    }
    result.details = {
        {"sectors", std::to_string(steps)},
        {"bytes_per_sector", std::to_string(options.full ? memory->size / steps : kFlashSample)},
        {"erased_sectors", std::to_string(erased)}};
    result.message =
        FormatText("read-only: %u sectors read twice alike, %u of them erased", steps, erased);
}

// ---- the flash, erased and programmed -----------------------------------------

// A write only clears bits, so each pattern gets a word of its own, erased first.
void TMemoryCheck::FlashDataBus(TCheckResult& result, TFaultList& faults) {
    if (KnownEraseSteps(result) == 0)
        return;
    std::set<uint32_t> sectors;
    for (uint32_t offset : AddressOffsets())
        FlashSectorsOf(offset, 1, sectors);
    FlashSectorsOf(0, Window(), sectors);
    if (!EraseSectors(sectors, result))
        return;
    const uint32_t word = memory->wordSize;
    const std::vector<std::vector<uint8_t>> patterns = WalkingPatterns(word);
    std::vector<uint8_t> expected;
    for (const std::vector<uint8_t>& pattern : patterns)
        expected.insert(expected.end(), pattern.begin(), pattern.end());
    result.details = {{"address", Hex(kFlashBusWords)}, {"data_lines", std::to_string(word * 8)}};
    result.message = FormatText("%u data lines walked with ones and zeros from byte %s", word * 8,
                                Hex(kFlashBusWords).c_str());
    if (!Write(kFlashBusWords, uint32_t(expected.size()), expected.data()))
        return;
    std::vector<uint8_t> got(expected.size());
    if (!Read(kFlashBusWords, uint32_t(got.size()), got.data()))
        return;
    faults.Compare(kFlashBusWords, expected.data(), got.data(), got.size());
}

// Every line's byte is programmed in turn while byte 0 must stay erased: the
// first line whose byte lands on 0 is named.
void TMemoryCheck::FlashAddressBus(TCheckResult& result, TFaultList& faults) {
    const std::vector<uint32_t> offsets = AddressOffsets();
    const int lines = int(offsets.size()) - 1;
    result.details = {{"address_lines", std::to_string(lines)}};
    result.message = FormatText("%d address lines, a byte at each power of two programmed", lines);
    uint8_t v = 0;
    for (uint32_t offset : offsets) {
        if (!ReadByte(offset, v))
            return;
        faults.CompareByte(offset, memory->erased, v);
    }
    bool zeroHit = false;
    for (int k = 0; k < lines; ++k) {
        const uint32_t at = offsets[size_t(k) + 1];
        if (!WriteByte(at, 0x00))
            return;
        if (zeroHit)
            continue;
        if (!ReadByte(0, v))
            return;
        if (v != memory->erased) {
            faults.Add({.address = at, .expected = memory->erased, .read = v, .line = k});
            zeroHit = true;
        }
    }
    for (int k = 0; k < lines; ++k) {
        const uint32_t at = offsets[size_t(k) + 1];
        if (!ReadByte(at, v))
            return;
        faults.CompareByte(at, 0x00, v);
    }
}

// Programmed to zero, read, erased, read: a sector that does not erase shows
// here. Beyond the window, one word at the start of every other sector is
// programmed and must be blank after the erase too, so no sector escapes. The
// flash is left erased.
void TMemoryCheck::FlashMarch(TCheckResult& result, TFaultList& faults) {
    const uint32_t window = Window();
    if (KnownEraseSteps(result) == 0)
        return;
    std::set<uint32_t> windowSectors, all;
    FlashSectorsOf(0, window, windowSectors);
    FlashSectorsOf(0, memory->size, all);
    std::vector<uint32_t> marks; // the other sectors' first words
    for (uint32_t s : all)
        if (!windowSectors.count(s))
            marks.push_back(SectorStart(memory->size, eraseSteps, s));
    const uint32_t word = memory->wordSize;
    total = 3 * uint64_t{window} + 2 * uint64_t{word} * marks.size();
    result.details = {{"window", RangeText(0, window)},
                      {"window_bytes", std::to_string(window)},
                      {"sectors", std::to_string(all.size())}};

    const uint64_t before = done;
    const Clock::time_point start = Clock::now();
    const std::vector<uint8_t> zeros(word, 0x00);
    std::vector<uint8_t> got(word);
    if (!Element({false, -1, 0x00}, window, faults) || !Element({false, 0x00, -1}, window, faults))
        return;
    for (uint32_t at : marks)
        if (!Write(at, word, zeros.data()))
            return;
    if (!EraseSectors(all, result) || !Element({false, memory->erased, -1}, window, faults))
        return;
    for (uint32_t at : marks) {
        if (!Read(at, word, got.data()))
            return;
        faults.CompareFill(at, memory->erased, got.data(), word);
    }
    Throughput(result, "programmed, erased and read over", window, done - before, MsSince(start));
    if (!marks.empty())
        result.message +=
            FormatText("; the first word of each of the other %zu sectors too", marks.size());
}
