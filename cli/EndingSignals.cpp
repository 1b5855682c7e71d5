#include "cli/EndingSignals.h"

#include <csignal>

std::vector<int> EndingSignals() {
    std::vector<int> signals = {SIGHUP,    SIGINT,  SIGQUIT, SIGTERM,   SIGPIPE,
                                SIGUSR1,   SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,
                                SIGIO,     SIGPWR,  SIGXCPU, SIGXFSZ,   SIGSTKFLT};
    for (int rt = SIGRTMIN; rt <= SIGRTMAX; ++rt)
        signals.push_back(rt);
    return signals;
}
