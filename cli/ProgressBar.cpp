#include "cli/ProgressBar.h"

#include <cstdio>
#include <unistd.h>

#include <fmt/format.h>

TProgressBar::TProgressBar(std::string what, uint64_t total, const char* unit, THost& next)
    : TForwardingHost(&next), what(std::move(what)), total(total), unit(unit),
      shown(isatty(STDERR_FILENO) == 1), start(Clock::now()) {}

TProgressBar::~TProgressBar() { Finish(); }

void TProgressBar::TaskProgress(uint64_t done, uint64_t told) {
    if (total == 0)
        total = told;
    Update(before + done);
}

void TProgressBar::TaskStarted(const std::string& task) {
    Finish();
    what = task;
    total = 0;
    before = 0;
    shown = isatty(STDERR_FILENO) == 1;
    start = Clock::now();
}

void TProgressBar::Finish() {
    if (drawn) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    drawn = false;
    shown = false;
}

void TProgressBar::Update(uint64_t done) {
    if (!shown)
        return;
    const auto now = Clock::now();
    if (drawn && done < total && now - last < std::chrono::milliseconds(100))
        return;
    last = now;
    drawn = true;
    const double seconds = std::chrono::duration<double>(now - start).count();
    const double rate = seconds > 0 ? done / seconds : 0;
    constexpr int kWidth = 30;
    const int filled = total ? static_cast<int>(done * kWidth / total) : kWidth;
    const std::string rateText = unit == "B" ? fmt::format("{:.1f} MiB/s", rate / (1 << 20))
                                             : fmt::format("{:.1f} {}/s", rate, unit);
    const std::string left =
        rate > 0 && done < total ? fmt::format("{:.0f} s left", (total - done) / rate) : "";
    const std::string line = fmt::format(
        "\r{} [{}{}] {:3d}%  {}  {}\033[K", what, std::string(filled, '#'),
        std::string(kWidth - filled, ' '), total ? static_cast<int>(done * 100 / total) : 100,
        rateText, left);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}
