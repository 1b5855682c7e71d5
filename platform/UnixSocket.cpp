#include "platform/UnixSocket.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

static bool FillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    static_assert(kUnixPathMax + 1 == sizeof addr.sun_path);
    if (!UnixPathFits(path)) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int ConnectUnix(const std::string& path) {
    sockaddr_un addr;
    if (!FillAddress(path, addr))
        return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int ListenUnix(const std::string& path, int backlog) {
    sockaddr_un addr;
    if (!FillAddress(path, addr))
        return -1;
    unlink(path.c_str());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, backlog) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const void* data, size_t count) {
    auto p = static_cast<const char*>(data);
    while (count > 0) {
        ssize_t n = send(fd, p, count, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd pfd{fd, POLLOUT, 0};
                poll(&pfd, 1, 100);
                continue;
            }
            return false;
        }
        p += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadLine(int fd, std::string& line, int timeoutMs) {
    using clock = std::chrono::steady_clock;
    auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
    line.clear();
    // A reply can be hundreds of KiB (a memory dump): what has arrived is
    // peeked at and taken up to the line end at most, so a caller's next line
    // stays in the socket.
    char chunk[16384];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        if (left.count() <= 0)
            return false;
        pollfd pfd{fd, POLLIN, 0};
        int r = poll(&pfd, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        ssize_t n = recv(fd, chunk, sizeof chunk, MSG_PEEK);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        const void* end = std::memchr(chunk, '\n', size_t(n));
        const size_t take = end ? size_t(static_cast<const char*>(end) - chunk) + 1 : size_t(n);
        ssize_t got;
        do
            got = recv(fd, chunk, take, 0);
        while (got < 0 && errno == EINTR);
        if (got != ssize_t(take))
            return false;
        if (end) {
            line.append(chunk, take - 1);
            return true;
        }
        line.append(chunk, take);
    }
}

bool ControlRequest(const std::string& socketPath, const std::string& command, std::string& reply,
                    int timeoutMs) {
    int fd = ConnectUnix(socketPath);
    return fd >= 0 && ExchangeLine(fd, command, reply, timeoutMs);
}

bool ExchangeLine(int fd, const std::string& command, std::string& reply, int timeoutMs) {
    std::string msg = command + "\n";
    bool ok = SendAll(fd, msg.data(), msg.size()) && ReadLine(fd, reply, timeoutMs);
    close(fd);
    return ok;
}

void CloseFd(int fd) {
    if (fd >= 0)
        close(fd);
}

} // namespace platform
