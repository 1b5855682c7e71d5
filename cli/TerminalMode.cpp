#include "cli/TerminalMode.h"

#include <cerrno>
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

} // namespace

TTerminalMode::TTerminalMode(int fd) : fd(fd) {
    if (isatty(fd) != 1 || tcgetattr(fd, &saved) != 0)
        return;
    const termios keys = RawKeys(saved);
    raw = tcsetattr(fd, TCSANOW, &keys) == 0;
}

TTerminalMode::~TTerminalMode() {
    if (!raw)
        return;
    // At once: waiting for output to drain could hang on a stalled terminal.
    while (tcsetattr(fd, TCSANOW, &saved) != 0 && errno == EINTR) {
    }
}
