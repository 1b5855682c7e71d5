#pragma once
#include <cerrno>
#include <cstddef>
#include <sys/types.h>
#include <unistd.h>

// Reads or writes of a whole count: a call may move fewer bytes than asked or
// be interrupted by a signal, so they go on until everything has gone. False
// on an error or an early end (for a write: a full disk, a size limit).

// `io(done)` moves bytes from offset `done` on and returns what read/write returns.
template <typename Io> bool WholeIo(size_t count, Io io) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = io(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

inline bool ReadAll(int fd, void* buffer, size_t count) {
    auto* p = static_cast<char*>(buffer);
    return WholeIo(count, [&](size_t done) { return ::read(fd, p + done, count - done); });
}

inline bool WriteAll(int fd, const void* data, size_t count) {
    const auto* p = static_cast<const char*>(data);
    return WholeIo(count, [&](size_t done) { return ::write(fd, p + done, count - done); });
}
