#include "cli/StopSignals.h"

#include <poll.h>

#include "cli/EndingSignals.h"

namespace {

volatile std::sig_atomic_t caught = 0;

extern "C" void NoteStopSignal(int signal) {
    caught = signal;
}

} // namespace

sigset_t NoteStopSignals(bool pipe) {
    struct sigaction note {};
    note.sa_handler = NoteStopSignal;
    sigemptyset(&note.sa_mask);
    sigset_t noted;
    sigemptyset(&noted);
    for (const int signal : EndingSignals()) {
        struct sigaction now {};
        if ((signal == SIGPIPE && !pipe) || sigaction(signal, nullptr, &now) != 0 ||
            now.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &note, nullptr);
        sigaddset(&noted, signal);
    }
    return noted;
}

TStopSignals::TStopSignals() : stops(NoteStopSignals()) {
    // A closed standard output raises SIGPIPE while it is held back: the
    // write fails, and the loop ends there.
    sigprocmask(SIG_BLOCK, &stops, &waitMask);
    for (const int signal : EndingSignals())
        if (sigismember(&stops, signal))
            sigdelset(&waitMask, signal);
}

TStopSignals::~TStopSignals() {
    sigprocmask(SIG_UNBLOCK, &stops, nullptr);
}

int TStopSignals::Caught() {
    return caught;
}

bool TStopSignals::Wait(int ms, int fd) const {
    pollfd entry{fd, POLLIN, 0};
    const timespec timeout{ms / 1000, (ms % 1000) * 1000000L};
    const int n = ppoll(&entry, fd >= 0 ? 1 : 0, &timeout, &waitMask);
    return n > 0 && (entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}
