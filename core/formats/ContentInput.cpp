#include "core/formats/ContentInput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

namespace {

constexpr size_t kStartBytes = 64 * 1024;

} // namespace

TContentInput::TContentInput(const std::string& path) : path(path) {
    if (path == "-") {
        fd = STDIN_FILENO;
        return;
    }
    // Opening blocks until a FIFO has a writer, as `cat` does.
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw TContentFileError(fmt::format("cannot read {}: {}", path, std::strerror(errno)));
    own = true;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))
        throw TContentFileError(fmt::format("cannot read {}: it is a directory", path));
    if (S_ISREG(st.st_mode))
        size = static_cast<uint64_t>(st.st_size);
}

TContentInput::~TContentInput() {
    if (own)
        close(fd);
}

std::string_view TContentInput::Start() {
    if (!started) {
        start.resize(kStartBytes);
        start.resize(ReadFile(start.data(), start.size()));
        started = true;
    }
    return start;
}

size_t TContentInput::Read(char* buffer, size_t count) {
    if (started && startGiven < start.size()) {
        const size_t n = std::min(count, start.size() - startGiven);
        std::memcpy(buffer, start.data() + startGiven, n);
        startGiven += n;
        return n;
    }
    return ReadFile(buffer, count);
}

void TContentInput::LimitText(uint64_t characters, uint64_t bytes) {
    limit = characters;
    room = bytes;
}

void TContentInput::TooLarge(uint64_t room, uint64_t bytes) const {
    const std::string holds =
        bytes == UINT64_MAX ? fmt::format("more than 0x{:X}", room) : fmt::format("0x{:X}", bytes);
    throw TContentFileError(fmt::format("{} holds {} bytes; the memory has 0x{:X} from the "
                                        "address to its end",
                                        path, holds, room));
}

size_t TContentInput::ReadFile(char* buffer, size_t count) {
    for (;;) {
        const ssize_t n = read(fd, buffer, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw TContentFileError(fmt::format("cannot read {}: {}", path, std::strerror(errno)));
        total += static_cast<uint64_t>(n);
        if (total > limit)
            throw TContentFileError(fmt::format("{} is too large: more than 0x{:X} characters for "
                                                "the 0x{:X} bytes from the address to the "
                                                "memory's end",
                                                path, limit, room));
        return static_cast<size_t>(n);
    }
}
