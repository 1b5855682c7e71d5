#pragma once
#include <cstddef>
#include <string>

// Plain helpers over Unix stream sockets, shared by the virtual board and the
// drivers that reach it.
namespace platform {

// Longest socket path (without its NUL) that a socket address holds.
constexpr size_t kUnixPathMax = 107;
inline bool UnixPathFits(const std::string& path) {
    return path.size() <= kUnixPathMax;
}

// Connects to the socket at `path`; returns the descriptor or -1.
int ConnectUnix(const std::string& path);

// Binds and listens on `path`, replacing a stale socket file; -1 on failure
// (errno ENAMETOOLONG when the path does not fit).
int ListenUnix(const std::string& path, int backlog = 8);

// Sends all bytes (no SIGPIPE); false when the peer is gone.
bool SendAll(int fd, const void* data, size_t count);

// Reads one line (without its '\n') within `timeoutMs`; false on time-out or EOF.
bool ReadLine(int fd, std::string& line, int timeoutMs);

// Sends `command` plus '\n' on `fd`, reads one reply line, and closes `fd`.
bool ExchangeLine(int fd, const std::string& command, std::string& reply, int timeoutMs);

// One request/reply exchange on a line-based control socket: connects, sends
// `command` plus '\n', reads one reply line. False when nothing answers in time.
bool ControlRequest(const std::string& socketPath, const std::string& command, std::string& reply,
                    int timeoutMs);

void CloseFd(int fd);

} // namespace platform
