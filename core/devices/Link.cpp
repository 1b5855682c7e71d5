#include "core/devices/Link.h"

#include <algorithm>
#include <random>
#include <vector>

#include "board/Board.h"
#include "core/devices/MemoryModel.h"
#include "core/jobs/CheckRun.h"
#include "core/jobs/MemoryCheck.h"
#include "core/jobs/MemoryTransfer.h"
#include "core/jobs/ReportParts.h"
#include "wire/Memories.h"

namespace kbr::devices {

namespace {

using TResult = TCheckResult::Result;
using Clock = TCheckRun::Clock;

constexpr int kKeepAlives = 32;
// The round trip's bytes go to the SRAM, well clear of byte 0 where the
// memory checks begin.
constexpr uint32_t kRoundTripAt = 0x10000, kRoundTripBytes = 4096;
constexpr uint32_t kRateBytes = 256u << 10;

double MsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

void CheckName(TCheckRun& run) {
    run.Check("link", "board name", [&](TCheckResult& r) {
        std::string name;
        if (!run.Answered(run.Board().QueryBoardName(name), r, "the board did not tell its name"))
            return;
        r.details = {{"name", name}};
        r.message = "the board answers as " + name;
        if (name != wire::kBoardName) {
            r.result = TResult::Failed;
            r.message =
                FormatText("the board answers as \"%s\", not %s", name.c_str(), wire::kBoardName);
        }
    });
}

void CheckKeepAlives(TCheckRun& run) {
    run.Check("link", "keep-alives", [&](TCheckResult& r) {
        double least = 1e9, most = 0, sum = 0;
        for (int i = 0; i < kKeepAlives; ++i) {
            const Clock::time_point start = Clock::now();
            if (!run.Answered(run.Board().Ping(), r,
                              FormatText("keep-alive %d of %d had no answer", i + 1, kKeepAlives)))
                return;
            const double ms = MsBetween(start, Clock::now());
            least = std::min(least, ms);
            most = std::max(most, ms);
            sum += ms;
        }
        r.details = {{"count", std::to_string(kKeepAlives)},
                     {"lost", "0"},
                     {"rtt_min_ms", FormatText("%.2f", least)},
                     {"rtt_avg_ms", FormatText("%.2f", sum / kKeepAlives)},
                     {"rtt_max_ms", FormatText("%.2f", most)}};
        r.message = FormatText("%d answered, none lost, round trip %.2f/%.2f/%.2f ms (min/avg/max)",
                               kKeepAlives, least, sum / kKeepAlives, most);
    });
}

// Random bytes through the SRAM and back; what was there is put back.
void CheckRoundTrip(TCheckRun& run) {
    run.Check("link", "memory round trip", [&](TCheckResult& r) {
        TBoard& board = run.Board();
        const auto code = uint8_t(wire::kMemorySram);
        std::vector<uint8_t> saved(kRoundTripBytes), sent(kRoundTripBytes), got(kRoundTripBytes);
        std::mt19937 random{std::random_device{}()};
        std::generate(sent.begin(), sent.end(), [&] { return uint8_t(random()); });
        if (!run.Answered(board.ReadMemory(code, kRoundTripAt, kRoundTripBytes, saved.data()), r,
                          "the SRAM could not be read"))
            return;
        const bool moved = board.WriteMemory(code, kRoundTripAt, kRoundTripBytes, sent.data()) &&
                           board.ReadMemory(code, kRoundTripAt, kRoundTripBytes, got.data());
        const TMemoryCheck::TWriteBack back = TMemoryCheck::WriteBack(
            board, wire::MemoryOf(wire::kMemorySram), {{kRoundTripAt, saved}});
        run.LeftChanged(back.left);
        if (!back.left.empty())
            r.details.emplace_back("restored", report::NotRestoredDetail(back.left));
        if (!run.Answered(moved && back.left.empty(), r,
                          back.left.empty() ? "the random bytes did not make the round trip"
                                            : "the SRAM's bytes could not be written back"))
            return;
        const auto differ = std::mismatch(sent.begin(), sent.end(), got.begin());
        r.details = {{"memory", "SRAM"},
                     {"address", FormatText("0x%06X", kRoundTripAt)},
                     {"bytes", std::to_string(kRoundTripBytes)}};
        r.message =
            FormatText("%u random bytes written to the SRAM and read back alike", kRoundTripBytes);
        if (differ.first != sent.end()) {
            const auto at = uint32_t(kRoundTripAt + (differ.first - sent.begin()));
            r.result = TResult::Failed;
            r.message = FormatText("SRAM byte 0x%06X came back as 0x%02X, sent 0x%02X", at,
                                   *differ.second, *differ.first);
        }
    });
}

void CheckRate(TCheckRun& run) {
    run.Check("link", "rate", [&](TCheckResult& r) {
        std::vector<uint8_t> bytes(kRateBytes);
        const Clock::time_point start = Clock::now();
        const bool read = TMemoryTransfer(run.Board())
                              .ReadInto(wire::MemoryOf(wire::kMemorySdram), 0, kRateBytes,
                                        TMemoryTransfer::ReadPlan(), bytes.data())
                              .Ok();
        if (!run.Answered(read, r, "the SDRAM could not be read"))
            return;
        const uint64_t rate = uint64_t(kRateBytes) * 1000 / std::max(TCheckRun::MsSince(start), 1u);
        r.details = {{"bytes", std::to_string(kRateBytes)},
                     {"bytes_per_second", std::to_string(rate)}};
        r.message = FormatText("%llu KiB/s reading %u KiB", (unsigned long long)(rate / 1024),
                               kRateBytes / 1024);
    });
}

} // namespace

void CheckLink(TCheckRun& run) {
    CheckName(run);
    CheckKeepAlives(run);
    CheckRoundTrip(run);
    CheckRate(run);
}

} // namespace kbr::devices
