#pragma once
#include <vector>

// The signals whose default action ends the process and that come from
// outside: hangup, interrupt, quit, terminate, broken pipe, the user, timer,
// resource-limit and real-time signals. kbr370 catches them all alike, so no
// way out leaves a temporary file or a monitoring mode behind. Signals of a
// fault of our own (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS)
// are not among them: a handler that returns would only meet the fault again.
std::vector<int> EndingSignals();

// What every command ends with after a signal, as shells report it.
constexpr int ExitStatusAfter(int signal) {
    return 128 + signal;
}

// Makes every ending signal end the process at once with its exit status; a
// command with something to clean up puts its own handler in place of this.
void ExitOnEndingSignals();

