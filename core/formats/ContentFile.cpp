#include "core/formats/ContentFile.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include <fmt/format.h>

#include "core/formats/HexCodec.h"
#include "core/formats/IntelHex.h"
#include "core/formats/SRecord.h"

namespace {

// Text formats take several characters a byte, and a record file may leave
// gaps: this many characters a byte of room, so that an endless stream is
// still cut off.
constexpr uint64_t kTextCharsPerByte = 32;
constexpr uint64_t kTextSlack = 1 << 20;
constexpr size_t kPieceBytes = 64 * 1024;

// A binary or HEX text file's bytes, moved in: a braced list would copy them.
std::vector<TImageSegment> OneSegment(std::vector<uint8_t> bytes) {
    std::vector<TImageSegment> segments(1);
    segments[0].bytes = std::move(bytes);
    return segments;
}

using TRecordReader = bool (*)(TRecordLines&, TRecordImage&, TRecordError&);

std::vector<TImageSegment> DecodeRecords(TContentInput& input, uint64_t room, TRecordReader read) {
    TRecordImage image;
    // The records so far never hold more than the memory could take, so a
    // file cannot fill the computer's memory.
    const auto source = [&](char* buffer, size_t size) -> size_t {
        if (image.Bytes() > room)
            throw TContentFileError(fmt::format("{} holds more than 0x{:X} bytes of data, the "
                                                "bytes from the address to the memory's end",
                                                input.Path(), room));
        return input.Read(buffer, size);
    };
    TRecordLines lines{TTextSource(source)};
    TRecordError error;
    if (!read(lines, image, error))
        throw TContentFileError(
            fmt::format("{} line {}: {}", input.Path(), error.line, error.what));
    if (image.Empty())
        throw TContentFileError(fmt::format("{} holds no data records", input.Path()));
    return image.TakeSegments();
}

} // namespace

std::vector<TImageSegment> DecodeBinaryContent(TContentInput& input, uint64_t room) {
    std::vector<uint8_t> bytes;
    if (input.Size() != UINT64_MAX)
        bytes.reserve(static_cast<size_t>(std::min(input.Size(), room) + 1));
    char piece[kPieceBytes];
    while (bytes.size() <= room) {
        const size_t n = input.Read(piece, sizeof piece);
        if (n == 0)
            break;
        bytes.insert(bytes.end(), piece, piece + n);
    }
    if (bytes.size() > room)
        input.TooLarge(room);
    return OneSegment(std::move(bytes));
}

// Hex digits of either case and line breaks, as `xxd -p` writes them.
std::vector<TImageSegment> DecodePanelHexContent(TContentInput& input, uint64_t room) {
    const std::string& path = input.Path();
    std::vector<uint8_t> bytes;
    uint64_t offset = 0, line = 1, digits = 0;
    int high = 0;
    std::vector<char> piece(kPieceBytes);
    for (size_t n; (n = input.Read(piece.data(), piece.size())) != 0; offset += n) {
        for (size_t i = 0; i < n; ++i) {
            const char c = piece[i];
            if (c == '\n' || c == '\r') {
                line += c == '\n';
                continue;
            }
            const int value = HexDigitValue(c);
            if (value < 0)
                throw TContentFileError(fmt::format(
                    "{} {}: character 0x{:02X} at offset {} (line {}) is not a hex digit", path,
                    kInvalidHexFileText, static_cast<uint8_t>(c), offset + i, line));
            if (digits++ % 2 == 0)
                high = value;
            else
                bytes.push_back(static_cast<uint8_t>(high << 4 | value));
        }
        if (bytes.size() > room)
            input.TooLarge(room);
    }
    if (digits % 2 != 0)
        throw TContentFileError(fmt::format("{} {}: {} digits, an odd number; a byte is two digits",
                                            path, kInvalidHexFileText, digits));
    if (digits == 0)
        throw TContentFileError(fmt::format("{} holds no hex digits", path));
    return OneSegment(std::move(bytes));
}

std::vector<TImageSegment> DecodeIntelHexContent(TContentInput& input, uint64_t room) {
    return DecodeRecords(input, room, &ReadIntelHex);
}

std::vector<TImageSegment> DecodeSRecordContent(TContentInput& input, uint64_t room) {
    return DecodeRecords(input, room, &ReadSRecords);
}

std::vector<TImageSegment> ReadContentFile(const std::string& path,
                                           std::optional<TContentFormat> format, uint64_t room) {
    TContentInput input(path);
    const TContentFormatRow& byName = ContentFormatRow(format.value_or(ContentFormatOfName(path)));
    // The size of a regular file of raw bytes settles the range before it is read.
    if (byName.raw && input.Size() != UINT64_MAX && input.Size() > room)
        input.TooLarge(room, input.Size());
    // Text is read as it is decoded, never whole: a bad first line of a huge
    // file is refused at once, and a stream is cut off past this many characters.
    if (!byName.raw)
        input.LimitText(room * kTextCharsPerByte + kTextSlack, room);
    // Nothing to write is a mistake of the caller's, not a write of 0 bytes.
    const std::string_view start = input.Start();
    if (start.empty())
        throw TContentFileError(fmt::format("{} is empty", path));
    const TContentFormat actual = format ? *format : ContentFormatOfText(byName.format, start);
    return ContentFormatRow(actual).decoder(input, room);
}
