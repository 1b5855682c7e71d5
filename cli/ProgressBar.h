#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "cli/StderrHost.h"
#include "core/ForwardingHost.h"

// A progress bar with rate and time left on standard error, drawn only when
// that is a terminal (a pipe or a file stays quiet); redrawn at most ten
// times a second and wiped when it ends.
//
// It stands in front of the CLI's host for a job: the task progress the job
// tells moves it, a task the job starts gets a bar of its own, and every
// other call (the stop question among them) passes on.
class TProgressBar : public TForwardingHost {
  public:
    // `unit` "B" shows the rate in MiB/s; any other unit is counted as is. A
    // `total` of 0 takes the total the first progress tells.
    TProgressBar(std::string what, uint64_t total, const char* unit, THost& next = CliReport());
    ~TProgressBar() override;
    TProgressBar(const TProgressBar&) = delete;
    TProgressBar& operator=(const TProgressBar&) = delete;

    void TaskProgress(uint64_t done, uint64_t total) override;
    // Wipes the bar and starts one named `what`, its total told by its progress.
    void TaskStarted(const std::string& what) override;
    // The progress told from now on comes after `done` units of work before
    // it (a file written range by range under one bar).
    void After(uint64_t done) { before = done; }

    void Update(uint64_t done);
    // Wipes the bar before the command prints its closing line; nothing is
    // drawn after it until a task starts.
    void Finish();

  private:
    using Clock = std::chrono::steady_clock;
    std::string what;
    uint64_t total;
    std::string unit;
    bool shown;
    bool drawn = false;
    uint64_t before = 0;
    Clock::time_point start;
    Clock::time_point last;
};
