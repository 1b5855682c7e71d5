#include "cli/ContentFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

#include "cli/CliError.h"
#include "pages/logic/HexCodec.h"

namespace {

// Opens a regular file and returns its descriptor and size.
int OpenInput(const std::string& path, uint64_t& size) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw UsageError(fmt::format("cannot read {}: {}", path, std::strerror(errno)));
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        throw UsageError(fmt::format("cannot read {}: not a regular file", path));
    }
    size = static_cast<uint64_t>(st.st_size);
    return fd;
}

} // namespace

uint64_t ContentFileByteCount(const std::string& path) {
    uint64_t size = 0;
    close(OpenInput(path, size));
    return IsHexFileName(path) ? HexDecodedSize(size) : size;
}

std::vector<uint8_t> ReadContentFile(const std::string& path) {
    uint64_t size = 0;
    const int fd = OpenInput(path, size);
    std::vector<uint8_t> bytes(size);
    uint64_t got = 0;
    while (got < size) {
        const ssize_t n = read(fd, bytes.data() + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<uint64_t>(n);
    }
    close(fd);
    if (got != size)
        throw UsageError(fmt::format("cannot read {}: it ended early", path));
    if (IsHexFileName(path)) {
        HexDecodeError error;
        if (!DecodeHexText(bytes.data(), bytes.size(), &error)) {
            const auto c = static_cast<unsigned char>(error.character);
            throw UsageError(fmt::format("{} {}: character 0x{:02X} at offset {} is not a hex digit",
                                         path, kInvalidHexFileText, c, error.offset));
        }
        bytes.resize(HexDecodedSize(bytes.size()));
    }
    return bytes;
}
