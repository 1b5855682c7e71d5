#include "cli/ContentFile.h"

#include <cerrno>
#include <unistd.h>

#include <fmt/format.h>

#include "cli/CliError.h"
#include "logic/HexCodec.h"
#include "logic/InputFile.h"

namespace {

// Opens a regular file, as the panel does, and returns its descriptor and size.
int OpenInput(const std::string& path, uint64_t& size) {
    std::string reason;
    const int fd = OpenInputFile(path, size, reason);
    if (fd < 0)
        throw UsageError(reason);
    // Nothing to write is a mistake of the caller's, not a write of 0 bytes.
    if (size == 0) {
        close(fd);
        throw UsageError(fmt::format("{} is empty", path));
    }
    return fd;
}

// After the characters: a line end at the end is named as such, not as an odd count.
void CheckDigitCount(const std::string& path, uint64_t digits) {
    if (digits % 2 != 0)
        throw UsageError(fmt::format("{} {}: {} digits, an odd number; a byte is two digits", path,
                                     kInvalidHexFileText, digits));
}

[[noreturn]] void ThrowBadHex(const std::string& path, const HexDecodeError& error) {
    const auto c = static_cast<unsigned char>(error.character);
    throw UsageError(fmt::format(
        "{} {}: character 0x{:02X} at offset {} is not an upper-case hex digit", path,
        kInvalidHexFileText, c, error.offset));
}

} // namespace

void CheckContentFile(const std::string& path) {
    uint64_t size = 0;
    const int fd = OpenInput(path, size);
    if (!IsHexFileName(path)) {
        close(fd);
        return;
    }
    // In pieces, so a huge file costs no memory.
    std::vector<uint8_t> piece(64 * 1024);
    uint64_t offset = 0;
    for (;;) {
        const ssize_t n = read(fd, piece.data(), piece.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        HexDecodeError error;
        if (!IsUpperHexText(piece.data(), static_cast<size_t>(n), &error)) {
            close(fd);
            error.offset += offset;
            ThrowBadHex(path, error);
        }
        offset += static_cast<uint64_t>(n);
    }
    close(fd);
    CheckDigitCount(path, offset);
}

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
        if (!IsUpperHexText(bytes.data(), bytes.size(), &error))
            ThrowBadHex(path, error);
        CheckDigitCount(path, bytes.size());
        DecodeHexText(bytes.data(), bytes.size());
        bytes.resize(bytes.size() / 2);
    }
    return bytes;
}
