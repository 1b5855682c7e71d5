#include "logic/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "logic/HexCodec.h"
#include "logic/MemoryModel.h"
#include "logic/WholeIo.h"

int OpenInputFile(const std::string& path, uint64_t& size, std::string& reason) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = "cannot read " + path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        reason = "cannot read " + path + ": not a regular file";
        return -1;
    }
    size = static_cast<uint64_t>(st.st_size);
    return fd;
}

namespace {

// Closes the input file on every path.
struct TInputFd {
    int fd;
    explicit TInputFd(int fd) : fd(fd) {}
    ~TInputFd() {
        if (fd >= 0)
            ::close(fd);
    }
};

TWriteContent Warned(const std::string& text, bool saysAll) {
    return {.warning = text, .warningSaysAll = saysAll};
}

} // namespace

TWriteContent LoadWriteContent(const std::string& path, bool fileLength, uint64_t length,
                               uint64_t room) {
    // Refused at once: a FIFO would wait for a writer, and the page with it.
    uint64_t size = 0;
    std::string reason;
    TInputFd file(OpenInputFile(path, size, reason));
    if (file.fd < 0)
        return {};
    const bool hex = IsHexFileName(path);

    // Cut at the memory's end without a word.
    const uint64_t bytes = fileLength ? std::min(ContentBytesOfFile(size, hex), room) : length;
    if (!fileLength && size < (hex ? 2 * bytes : bytes))
        return Warned(FormatText("File(%s) size is less than the specified length.", path.c_str()),
                      true);

    // A HEX file's digits are read into the same buffer and decoded in place;
    // an odd last digit meets a padding "0".
    TWriteContent content;
    content.count = static_cast<uint32_t>(bytes);
    const uint64_t wanted = hex ? std::min(size, 2 * bytes) : bytes;
    content.data.assign(hex ? 2 * bytes : bytes, hex ? '0' : 0);
    if (!ReadAll(file.fd, content.data.data(), wanted))
        return Warned(FormatText("Read file(%s) error.", path.c_str()), true);
    if (hex && !DecodeHexText(content.data.data(), 2 * bytes))
        return Warned(kInvalidHexFileText, false);
    content.ok = true;
    return content;
}
