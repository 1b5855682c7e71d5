#include "cli/StopSignals.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/CliError.h"
#include "cli/EndingSignals.h"
#include "platform/StandardDescriptors.h"

namespace {

volatile std::sig_atomic_t caught = 0;
bool outputGone = false;

// A pipe or a socket: what raises SIGPIPE once its reader is gone.
bool WritesRaiseSigpipe(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
}

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

bool TStopSignals::OutputGone() {
    return outputGone;
}

void TStopSignals::NoteOutputGone() const {
    if (sigismember(&stops, SIGPIPE) == 1 && WritesRaiseSigpipe(STDOUT_FILENO))
        caught = SIGPIPE;
    else
        outputGone = true;
}

bool TStopSignals::Wait(int ms, int fd) const {
    // No events asked of standard output: poll still reports its reader
    // gone (POLLERR) or its terminal hung up (POLLHUP), and nothing else.
    pollfd entries[2] = {{STDOUT_FILENO, 0, 0}, {fd, POLLIN, 0}};
    const timespec timeout{ms / 1000, (ms % 1000) * 1000000L};
    const int n = ppoll(entries, fd >= 0 ? 2 : 1, &timeout, &waitMask);
    if (n <= 0)
        return false;
    if ((entries[0].revents & (POLLERR | POLLHUP)) != 0)
        NoteOutputGone();
    return (entries[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

void RequireStandardOutput() {
    if (platform::ClosedAtStart(STDOUT_FILENO))
        throw TCliError(kExitFailure, "standard output is closed");
}
