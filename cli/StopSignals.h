#pragma once
#include <csignal>

// The signals that end a watch or a stream (EndingSignals) are held back while
// the board is spoken to and let in only while waiting between polls: an
// exchange is never cut in half, and the loop always reaches its cleanup (the
// monitoring mode switched off, a trace finished) before it ends with
// 128 + the signal. Signals the process ignores stay ignored.
// Makes each ending signal (but those the process ignores, and SIGPIPE unless
// `pipe`) be noted for TStopSignals::Caught() instead of ending the process:
// for a run that looks for a stop between its own steps. Returns their set.
sigset_t NoteStopSignals(bool pipe = true);

class TStopSignals {
  public:
    TStopSignals();
    ~TStopSignals();
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    // The stop signal that came, or 0; it stays noted after the object is gone.
    static int Caught();
    bool Stopped() const { return Caught() != 0; }

    // Waits up to `ms`, or less when a stop signal comes, `fd` (when not -1)
    // has input, or standard output is gone; true when `fd` has input.
    // Standard output whose reader went away (a closed pipe or socket) is
    // noted as SIGPIPE, which the next write would raise anyway; any other
    // end of it (a terminal hung up, SIGPIPE ignored) as OutputGone().
    bool Wait(int ms, int fd = -1) const;

    // Whether standard output went away without a stop signal for it; it
    // stays noted after the object is gone.
    static bool OutputGone();

  private:
    void NoteOutputGone() const;

    sigset_t stops;
    sigset_t waitMask;
};

// Why a stream or a watch ended when standard output went away without SIGPIPE.
inline constexpr const char* kOutputGone = "standard output has gone away";

// What a stream or a watch shows goes to standard output: one that was closed
// when the program started (and is /dev/null now) ends it at once, before the
// board is touched, with the reason.
void RequireStandardOutput();
