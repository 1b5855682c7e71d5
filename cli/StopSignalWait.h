#pragma once
#include <chrono>
#include <csignal>

// The ending signals (EndingSignals), held back for the object's lifetime and
// taken only while waiting: a loop that polls the board sees the signal
// between two exchanges and can finish what it writes before it ends.
// Signals the process ignores stay ignored.
class TStopSignalWait {
  public:
    TStopSignalWait();
    ~TStopSignalWait();
    TStopSignalWait(const TStopSignalWait&) = delete;
    TStopSignalWait& operator=(const TStopSignalWait&) = delete;

    // Waits `period`; the signal that came meanwhile (or before), or 0.
    int Wait(std::chrono::milliseconds period) const;

  private:
    sigset_t stops;
    sigset_t before;
};
