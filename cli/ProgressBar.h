#pragma once
#include <chrono>
#include <cstdint>
#include <string>

// A progress bar with rate and time left on standard error, drawn only when
// that is a terminal (a pipe or a file stays quiet); redrawn at most ten
// times a second and wiped when it ends.
class TProgressBar {
  public:
    // `unit` "B" shows the rate in MiB/s; any other unit is counted as is.
    TProgressBar(std::string what, uint64_t total, const char* unit);
    ~TProgressBar();
    TProgressBar(const TProgressBar&) = delete;
    TProgressBar& operator=(const TProgressBar&) = delete;

    void Update(uint64_t done);
    // Wipes the bar before the command prints its closing line; nothing is
    // drawn after it.
    void Finish();

  private:
    using Clock = std::chrono::steady_clock;
    std::string what;
    uint64_t total;
    std::string unit;
    bool shown;
    bool drawn = false;
    Clock::time_point start;
    Clock::time_point last;
};
