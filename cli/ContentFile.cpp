#include "cli/ContentFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

#include "cli/CliError.h"
#include "core/formats/HexCodec.h"
#include "core/formats/IntelHex.h"
#include "core/formats/SRecord.h"

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

// A binary or HEX text file's bytes, moved in: a braced list would copy them.
std::vector<TImageSegment> OneSegment(std::vector<uint8_t> bytes) {
    std::vector<TImageSegment> segments(1);
    segments[0].bytes = std::move(bytes);
    return segments;
}

// A text input read piece by piece, so that only a piece is held, however
// large the file: refused past `limit` characters, and at a read error.
class TTextPieces {
  public:
    TTextPieces(const std::string& path, const TInput& input, uint64_t limit, uint64_t room)
        : path(path), input(input), limit(limit), room(room) {}

    // The next piece into `buffer`; 0 at the end.
    size_t Read(char* buffer, size_t size) {
        for (;;) {
            const ssize_t n = read(input.fd, buffer, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw UsageError(fmt::format("cannot read {}: {}", path, std::strerror(errno)));
            total += static_cast<uint64_t>(n);
            if (total > limit)
                throw UsageError(fmt::format("{} is too large: more than 0x{:X} characters for "
                                             "the 0x{:X} bytes from the address to the memory's "
                                             "end",
                                             path, limit, room));
            return static_cast<size_t>(n);
        }
    }

  private:
    const std::string& path;
    const TInput& input;
    uint64_t limit, room;
    uint64_t total = 0;
};

// Hex digits of either case and line breaks, as `xxd -p` writes them; `first`
// is what was read of the text already.
std::vector<uint8_t> DecodePanelHex(const std::string& path, std::string_view first,
                                    TTextPieces& pieces, uint64_t room) {
    std::vector<uint8_t> bytes;
    uint64_t offset = 0, line = 1, digits = 0;
    int high = 0;
    std::vector<char> piece(64 * 1024);
    for (std::string_view text = first; !text.empty();
         text = std::string_view(piece.data(), pieces.Read(piece.data(), piece.size()))) {
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\n' || c == '\r') {
                line += c == '\n';
                continue;
            }
            const int value = HexDigitValue(c);
            if (value < 0)
                throw UsageError(fmt::format(
                    "{} {}: character 0x{:02X} at offset {} (line {}) is not a hex digit", path,
                    kInvalidHexFileText, static_cast<uint8_t>(c), offset + i, line));
            if (digits++ % 2 == 0)
                high = value;
            else
                bytes.push_back(static_cast<uint8_t>(high << 4 | value));
        }
        offset += text.size();
        if (bytes.size() > room)
            ThrowTooLarge(path, room, UINT64_MAX);
    }
    if (digits % 2 != 0)
        throw UsageError(fmt::format("{} {}: {} digits, an odd number; a byte is two digits", path,
                                     kInvalidHexFileText, digits));
    if (digits == 0)
        throw UsageError(fmt::format("{} holds no hex digits", path));
    return bytes;
}

std::vector<TImageSegment> DecodeRecords(const std::string& path, TContentFormat format,
                                         std::string_view first, TTextPieces& pieces,
                                         uint64_t room) {
    TRecordImage image;
    // The first piece, then the rest; the records so far never hold more than
    // the memory could take, so a file cannot fill the computer's memory.
    const auto source = [&](char* buffer, size_t size) -> size_t {
        if (image.Bytes() > room)
            throw UsageError(fmt::format("{} holds more than 0x{:X} bytes of data, the bytes from "
                                         "the address to the memory's end",
                                         path, room));
        if (!first.empty()) {
            const size_t n = std::min(size, first.size());
            std::memcpy(buffer, first.data(), n);
            first.remove_prefix(n);
            return n;
        }
        return pieces.Read(buffer, size);
    };
    TRecordLines lines{TTextSource(source)};
    TRecordError error;
    const bool ok = format == TContentFormat::IntelHex ? ReadIntelHex(lines, image, error)
                                                       : ReadSRecords(lines, image, error);
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
    if (byName == TContentFormat::Binary) {
        std::vector<uint8_t> raw = ReadBounded(path, input, room);
        // Nothing to write is a mistake of the caller's, not a write of 0 bytes.
        if (raw.empty())
            throw UsageError(fmt::format("{} is empty", path));
        if (raw.size() > room)
            ThrowTooLarge(path, room, UINT64_MAX);
        return OneSegment(std::move(raw));
    }
    // Text is read as it is decoded, never whole: a bad first line of a huge
    // file is refused at once, and a stream is cut off past this many characters.
    const uint64_t limit = room * kTextCharsPerByte + kTextSlack;
    TTextPieces pieces(path, input, limit, room);
    std::vector<char> start(64 * 1024);
    const std::string_view first(start.data(), pieces.Read(start.data(), start.size()));
    if (first.empty())
        throw UsageError(fmt::format("{} is empty", path));
    const TContentFormat actual = format ? *format : ContentFormatOfText(byName, first);
    if (actual == TContentFormat::PanelHex)
        return OneSegment(DecodePanelHex(path, first, pieces, room));
    return DecodeRecords(path, actual, first, pieces, room);
}
