#include "core/formats/IntelHex.h"

#include <algorithm>
#include <vector>

#include "core/devices/MemoryModel.h"

namespace {

enum : uint8_t {
    kData = 0x00,
    kEndOfFile = 0x01,
    kSegmentBase = 0x02,
    kSegmentStart = 0x03,
    kLinearBase = 0x04,
    kLinearStart = 0x05,
};

// Data bytes each record type other than data must hold.
int FixedLength(uint8_t type) {
    switch (type) {
    case kEndOfFile:
        return 0;
    case kSegmentBase:
    case kLinearBase:
        return 2;
    case kSegmentStart:
    case kLinearStart:
        return 4;
    default:
        return -1;
    }
}

void AppendRecord(std::string& text, uint8_t type, uint16_t address, const uint8_t* data,
                  size_t count) {
    const uint8_t head[] = {static_cast<uint8_t>(count), static_cast<uint8_t>(address >> 8),
                            static_cast<uint8_t>(address), type};
    text += ':';
    const auto sum = static_cast<uint8_t>(AppendHexBytes(text, head, sizeof head) +
                                          AppendHexBytes(text, data, count));
    AppendHexByte(text, static_cast<uint8_t>(-sum));
    text += '\n';
}

} // namespace

bool ReadIntelHex(TRecordLines& lines, TRecordImage& image, TRecordError& error) {
    uint64_t base = 0;
    bool segmented = false; // the base is a segment's, not a linear address
    const auto take = [&](std::string_view, const std::vector<uint8_t>& bytes,
                          bool& ended) -> std::string {
        if (bytes.size() < 5)
            return "too short for a record";
        const size_t count = bytes[0];
        if (bytes.size() != count + 5)
            return FormatText("the byte count says %zu data bytes, the record holds %zu", count,
                              bytes.size() - 5);
        // Every byte but the checksum itself.
        const uint8_t sum = ByteSum(bytes.data(), bytes.size() - 1);
        if (static_cast<uint8_t>(sum + bytes.back()) != 0)
            return FormatText("checksum 0x%02X is wrong; the record's bytes need 0x%02X",
                              bytes.back(), static_cast<uint8_t>(-sum));
        const uint8_t type = bytes[3];
        const uint8_t* data = bytes.data() + 4;
        if (type != kData && FixedLength(type) < 0)
            return FormatText("unknown record type %02X", type);
        if (type != kData && static_cast<int>(count) != FixedLength(type))
            return FormatText("a type %02X record holds %d data bytes, not %zu", type,
                              FixedLength(type), count);
        // The base records' two bytes, high first.
        const auto base16 = [data] { return uint64_t{data[0]} << 8 | data[1]; };
        switch (type) {
        case kData: {
            const size_t offset = size_t{bytes[1]} << 8 | bytes[2];
            // In a segment the offset wraps round past 0xFFFF to the segment's start.
            const size_t first = segmented ? std::min(count, 0x10000 - offset) : count;
            uint64_t clash = 0;
            if (!image.Add(base + offset, data, first, &clash) ||
                !image.Add(base, data + first, count - first, &clash))
                return FormatText("address 0x%llX was given by an earlier record",
                                  static_cast<unsigned long long>(clash));
            break;
        }
        case kEndOfFile:
            ended = true;
            break;
        case kSegmentBase:
            base = base16() << 4;
            segmented = true;
            break;
        case kLinearBase:
            base = base16() << 16;
            segmented = false;
            break;
        default:
            break; // a start address means nothing to a memory
        }
        return {};
    };
    return ReadRecordLines(lines, ':', 1, "end-of-file record (:00000001FF)", take, error);
}

std::string TIntelHexWriter::Add(const uint8_t* data, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (pending.empty() && (next >> 16) != upper) {
            upper = static_cast<uint32_t>(next >> 16);
            const uint8_t value[] = {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)};
            AppendRecord(text, kLinearBase, 0, value, 2);
        }
        // A record never runs past a 64 KiB boundary: its address has 16 bits.
        if (Take(data[i]) || (next & 0xFFFF) == 0)
            Flush(text);
    }
    return text;
}

std::string TIntelHexWriter::Finish() {
    std::string text;
    if (!pending.empty())
        Flush(text);
    AppendRecord(text, kEndOfFile, 0, nullptr, 0);
    return text;
}

void TIntelHexWriter::Flush(std::string& text) {
    const auto address = static_cast<uint16_t>(PendingAddress());
    AppendRecord(text, kData, address, PendingBytes(), pending.size());
    pending.clear();
}
