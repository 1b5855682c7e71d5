#include "cli/EndingSignals.h"

#include <csignal>
#include <unistd.h>

namespace {

extern "C" void ExitAfterSignal(int signal) {
    _exit(ExitStatusAfter(signal));
}

} // namespace

std::vector<int> EndingSignals() {
    std::vector<int> signals = {SIGHUP,    SIGINT,  SIGQUIT, SIGTERM,   SIGPIPE,
                                SIGUSR1,   SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,
                                SIGIO,     SIGPWR,  SIGXCPU, SIGXFSZ,   SIGSTKFLT};
    for (int rt = SIGRTMIN; rt <= SIGRTMAX; ++rt)
        signals.push_back(rt);
    return signals;
}

void ExitOnEndingSignals() {
    struct sigaction action {};
    action.sa_handler = ExitAfterSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : EndingSignals()) {
        // What the caller chose to ignore (nohup) stays ignored.
        struct sigaction before {};
        sigaction(signal, nullptr, &before);
        if (before.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}
