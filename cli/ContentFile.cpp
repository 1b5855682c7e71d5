#include "cli/ContentFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

#include "cli/CliError.h"
#include "logic/HexCodec.h"
#include "logic/IntelHex.h"
#include "logic/SRecord.h"

namespace {

// Text formats take several characters a byte, and a record file may leave
// gaps: this many characters a byte of room, so that an endless stream is
// still cut off.
constexpr uint64_t kTextCharsPerByte = 32;
constexpr uint64_t kTextSlack = 1 << 20;

// The input's descriptor, closed at the end unless it is standard input.
struct TInput {
    int fd = -1;
    bool own = false;
    uint64_t size = UINT64_MAX; // a regular file's size; else unknown
    ~TInput() {
        if (own)
            close(fd);
    }
};

// Opens the file and waits, as `cat` does, for the writer of a FIFO.
void Open(const std::string& path, TInput& input) {
    if (path == "-") {
        input.fd = STDIN_FILENO;
        return;
    }
    input.fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (input.fd < 0)
        throw UsageError(fmt::format("cannot read {}: {}", path, std::strerror(errno)));
    input.own = true;
    struct stat st {};
    if (fstat(input.fd, &st) != 0 || S_ISDIR(st.st_mode))
        throw UsageError(fmt::format("cannot read {}: it is a directory", path));
    if (S_ISREG(st.st_mode))
        input.size = static_cast<uint64_t>(st.st_size);
}

// Everything the input holds, or `limit` + 1 bytes when it holds more.
std::vector<uint8_t> ReadBounded(const std::string& path, const TInput& input, uint64_t limit) {
    std::vector<uint8_t> bytes;
    if (input.size != UINT64_MAX)
        bytes.reserve(static_cast<size_t>(std::min(input.size, limit) + 1));
    uint8_t piece[64 * 1024];
    while (bytes.size() <= limit) {
        const ssize_t n = read(input.fd, piece, sizeof piece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw UsageError(fmt::format("cannot read {}: {}", path, std::strerror(errno)));
        if (n == 0)
            break;
        bytes.insert(bytes.end(), piece, piece + n);
    }
    return bytes;
}

// `size` is unknown for a stream, which was read one byte past the room.
[[noreturn]] void ThrowTooLarge(const std::string& path, uint64_t room, uint64_t size) {
    const std::string holds =
        size == UINT64_MAX ? fmt::format("more than 0x{:X}", room) : fmt::format("0x{:X}", size);
    throw UsageError(fmt::format("{} holds {} bytes; the memory has 0x{:X} from the address to "
                                 "its end",
                                 path, holds, room));
}

// Hex digits of either case and line breaks, as `xxd -p` writes them.
std::vector<uint8_t> DecodePanelHex(const std::string& path, const std::vector<uint8_t>& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    size_t line = 1, digits = 0;
    int high = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = static_cast<char>(text[i]);
        if (c == '\n' || c == '\r') {
            line += c == '\n';
            continue;
        }
        const int value = HexDigitValue(c);
        if (value < 0)
            throw UsageError(
                fmt::format("{} {}: character 0x{:02X} at offset {} (line {}) is not a hex digit",
                            path, kInvalidHexFileText, text[i], i, line));
        if (digits++ % 2 == 0)
            high = value;
        else
            bytes.push_back(static_cast<uint8_t>(high << 4 | value));
    }
    if (digits % 2 != 0)
        throw UsageError(fmt::format("{} {}: {} digits, an odd number; a byte is two digits", path,
                                     kInvalidHexFileText, digits));
    if (digits == 0)
        throw UsageError(fmt::format("{} holds no hex digits", path));
    return bytes;
}

std::vector<TImageSegment> DecodeRecords(const std::string& path, TContentFormat format,
                                         const std::vector<uint8_t>& text) {
    const std::string_view view(reinterpret_cast<const char*>(text.data()), text.size());
    TRecordImage image;
    TRecordError error;
    const bool ok = format == TContentFormat::IntelHex ? ReadIntelHex(view, image, error)
                                                       : ReadSRecords(view, image, error);
    if (!ok)
        throw UsageError(fmt::format("{} line {}: {}", path, error.line, error.what));
    if (image.Empty())
        throw UsageError(fmt::format("{} holds no data records", path));
    return image.TakeSegments();
}

} // namespace

std::vector<TImageSegment> ReadContentFile(const std::string& path,
                                           std::optional<TContentFormat> format, uint64_t room) {
    TInput input;
    Open(path, input);
    const TContentFormat byName = format.value_or(ContentFormatOfName(path));
    // The size of a regular binary file settles the range before it is read.
    if (byName == TContentFormat::Binary && input.size != UINT64_MAX && input.size > room)
        ThrowTooLarge(path, room, input.size);
    const uint64_t limit =
        byName == TContentFormat::Binary ? room : room * kTextCharsPerByte + kTextSlack;
    std::vector<uint8_t> raw = ReadBounded(path, input, limit);
    // Nothing to write is a mistake of the caller's, not a write of 0 bytes.
    if (raw.empty())
        throw UsageError(fmt::format("{} is empty", path));
    if (raw.size() > limit && byName == TContentFormat::Binary)
        ThrowTooLarge(path, room, UINT64_MAX);
    if (raw.size() > limit)
        throw UsageError(fmt::format("{} is too large: more than 0x{:X} characters for the 0x{:X} "
                                     "bytes from the address to the memory's end",
                                     path, limit, room));
    const std::string_view start(reinterpret_cast<const char*>(raw.data()), 1);
    const TContentFormat actual = format ? *format : ContentFormatOfText(byName, start);
    switch (actual) {
    case TContentFormat::Binary:
        return {{0, std::move(raw)}};
    case TContentFormat::PanelHex:
        return {{0, DecodePanelHex(path, raw)}};
    default:
        return DecodeRecords(path, actual, raw);
    }
}
