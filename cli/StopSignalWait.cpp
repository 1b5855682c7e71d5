#include "cli/StopSignalWait.h"

#include <pthread.h>

#include "cli/EndingSignals.h"

TStopSignalWait::TStopSignalWait() {
    sigemptyset(&stops);
    for (const int signal : EndingSignals()) {
        struct sigaction action {};
        if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN)
            sigaddset(&stops, signal);
    }
    pthread_sigmask(SIG_BLOCK, &stops, &before);
}

TStopSignalWait::~TStopSignalWait() {
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

int TStopSignalWait::Wait(std::chrono::milliseconds period) const {
    const auto ms = period.count();
    const timespec timeout{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    const int signal = sigtimedwait(&stops, nullptr, &timeout);
    return signal > 0 ? signal : 0;
}
