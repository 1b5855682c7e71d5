// Serial figures (not a test): kbr370 rs232 receive against a port fed at
// 115,200 baud (11,520 bytes a second) for a few seconds: the rate it keeps
// up with, how far behind it falls, and the bytes it loses. Runs its own
// virtual board in a private directory.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/support/CliRun.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 11520;         // bytes a second: 115,200 baud, 8N1
constexpr int kTickMs = 20;          // the port's bytes arrive in pieces this far apart
constexpr int kFeedSeconds = 5;
constexpr int kCatchUpLimitMs = 3000; // what it may take to show the last bytes

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool Monitoring(const TestVBoard& vb) {
    for (int i = 0; i < 500; ++i) {
        if (vb.CtlOk("get modes") == "ir=0 rs232=1 ps2=0")
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace

int main() {
    TestVBoard vb;
    std::printf("kbr370 rs232 receive at %d bytes a second (virtual board in %s)\n\n", kRate,
                vb.Dir().c_str());
    CliRun receive({"rs232", "receive", "--raw"});
    if (!Monitoring(vb)) {
        std::printf("rs232 receive did not start\n");
        return 1;
    }

    // Every byte numbered, so a lost or doubled one shows in the comparison.
    std::string fed;
    size_t refused = 0; // bytes the board's queue had no room for
    const int ticks = kFeedSeconds * 1000 / kTickMs;
    const size_t piece = kRate * kTickMs / 1000;
    const auto start = Clock::now();
    for (int tick = 0; tick < ticks; ++tick) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(tick * kTickMs));
        std::string bytes;
        for (size_t i = 0; i < piece; ++i)
            bytes += static_cast<char>((fed.size() + i) * 7 % 251);
        if (vb.Ctl("rs232 push " + HexBytes(bytes)).rfind("ok", 0) == 0)
            fed += bytes;
        else
            refused += bytes.size();
    }
    const double feedMs = MsSince(start);
    const size_t shownAtEnd = receive.OutputSoFar().size();

    const auto fedAll = Clock::now();
    std::string shown = receive.OutputSoFar();
    while (shown.size() < fed.size() && MsSince(fedAll) < kCatchUpLimitMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        shown = receive.OutputSoFar();
    }
    const double catchUpMs = MsSince(fedAll);
    receive.Signal(SIGINT);
    receive.Wait();

    const size_t offered = fed.size() + refused;
    const size_t lost = offered - std::min(offered, shown.size());
    const bool intact = shown == fed;
    const double sustained = static_cast<double>(shown.size()) / ((feedMs + catchUpMs) / 1000);
    std::printf("  fed                          %8zu bytes in %.2f s (%.0f bytes a second)\n",
                offered, feedMs / 1000, static_cast<double>(offered) / (feedMs / 1000));
    std::printf("  shown while fed              %8zu bytes (%zu behind at the end)\n", shownAtEnd,
                fed.size() - std::min(fed.size(), shownAtEnd));
    std::printf("  shown in all                 %8zu bytes, %.0f ms after the last was fed\n",
                shown.size(), catchUpMs);
    std::printf("  sustained rate               %8.0f bytes a second\n", sustained);
    std::printf("  lost                         %8zu bytes (%zu refused by a full queue)\n", lost,
                refused);

    const bool met = lost == 0 && intact && catchUpMs < kCatchUpLimitMs;
    std::printf("\nTargets\n");
    std::printf("  every byte shown, in order, within %d ms of the last: %s  %s\n",
                kCatchUpLimitMs, intact ? "intact" : "NOT intact", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
