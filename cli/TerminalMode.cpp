#include "cli/TerminalMode.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// The terminal's own settings with raw keys; output processing stays.
termios RawKeys(const termios& cooked) {
    termios keys = cooked;
    keys.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                           ICRNL | IXON | IXOFF);
    keys.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    keys.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    keys.c_cflag |= CS8;
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    return keys;
}

void SetAttributes(int fd, const termios& attributes) {
    // At once: waiting for output to drain could hang on a stalled terminal.
    while (tcsetattr(fd, TCSANOW, &attributes) != 0 && errno == EINTR) {
    }
}

// The terminal that is raw now, for the handlers of the job-control signals
// (only one is raw at a time).
volatile std::sig_atomic_t rawFd = -1;
termios cookedSettings{}, rawSettings{};

// Stopped from outside: the shell gets its terminal back as it left it. The
// stop itself cannot be refused or lost, whoever asked for it.
extern "C" void GiveBackAndStop(int) {
    const int saved = errno;
    if (rawFd >= 0)
        SetAttributes(rawFd, cookedSettings);
    raise(SIGSTOP);
    errno = saved;
}

// Going on again (after a stop of any kind): the keys come raw again.
extern "C" void TakeRawAgain(int) {
    const int saved = errno;
    if (rawFd >= 0)
        SetAttributes(rawFd, rawSettings);
    errno = saved;
}

void Handle(int signal, void (*handler)(int), struct sigaction& before) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART; // the board's exchanges go on across a stop
    sigemptyset(&action.sa_mask);
    sigaction(signal, nullptr, &before);
    if (before.sa_handler != SIG_IGN) // what the caller chose to ignore stays ignored
        sigaction(signal, &action, nullptr);
}

} // namespace

TTerminalMode::TTerminalMode(int fd) : fd(fd) {
    if (rawFd >= 0 || isatty(fd) != 1 || tcgetattr(fd, &saved) != 0)
        return;
    const termios keys = RawKeys(saved);
    raw = tcsetattr(fd, TCSANOW, &keys) == 0;
    if (!raw)
        return;
    cookedSettings = saved;
    rawSettings = keys;
    rawFd = fd;
    Handle(SIGTSTP, GiveBackAndStop, tstpBefore);
    Handle(SIGCONT, TakeRawAgain, contBefore);
}

TTerminalMode::~TTerminalMode() {
    if (!raw)
        return;
    rawFd = -1;
    sigaction(SIGTSTP, &tstpBefore, nullptr);
    sigaction(SIGCONT, &contBefore, nullptr);
    SetAttributes(fd, saved);
}
