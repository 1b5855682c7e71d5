#pragma once
#include <csignal>
#include <termios.h>

// Raw keys from a terminal for the object's lifetime: each key reaches the
// program as typed, without local echo, line editing, flow control or the
// keys that raise signals (Ctrl-C is a byte like any other). Output keeps its
// usual processing, so a line feed still starts a new line on the screen.
// The terminal's settings are put back at destruction, and while the program
// is stopped from outside (SIGTSTP), as other serial terminals do: it stops
// with the terminal cooked and takes it raw again when it goes on (SIGCONT).
// On anything but a terminal nothing changes.
class TTerminalMode {
  public:
    explicit TTerminalMode(int fd);
    ~TTerminalMode();
    TTerminalMode(const TTerminalMode&) = delete;
    TTerminalMode& operator=(const TTerminalMode&) = delete;

    // Whether `fd` is a terminal whose keys now come raw.
    bool Raw() const { return raw; }

  private:
    int fd;
    bool raw = false;
    termios saved{};
    struct sigaction tstpBefore {}, contBefore {};
};
