#include "core/formats/SRecord.h"

#include <vector>

#include "core/devices/MemoryModel.h"

namespace {

// A header longer than this is cut: the record's byte count has 8 bits.
constexpr size_t kMaxHeader = 64;

// Address bytes of each record type; -1 for a type that does not exist.
int AddressBytes(char type) {
    switch (type) {
    case '0':
    case '1':
    case '5':
    case '9':
        return 2;
    case '2':
    case '6':
    case '8':
        return 3;
    case '3':
    case '7':
        return 4;
    default:
        return -1;
    }
}

void AppendRecord(std::string& text, char type, int addressBytes, uint64_t address,
                  const uint8_t* data, size_t count) {
    text += 'S';
    text += type;
    uint8_t head[5] = {static_cast<uint8_t>(addressBytes + count + 1)};
    for (int i = 0; i < addressBytes; ++i)
        head[1 + i] = static_cast<uint8_t>(address >> (8 * (addressBytes - 1 - i)));
    const auto sum = static_cast<uint8_t>(AppendHexBytes(text, head, 1 + addressBytes) +
                                          AppendHexBytes(text, data, count));
    AppendHexByte(text, static_cast<uint8_t>(~sum));
    text += '\n';
}

} // namespace

bool ReadSRecords(TRecordLines& lines, TRecordImage& image, TRecordError& error) {
    uint64_t dataRecords = 0;
    // The last count record's line and what it counted; line 0: none yet.
    size_t countLine = 0;
    uint64_t counted = 0;
    const auto take = [&](std::string_view line, const std::vector<uint8_t>& bytes,
                          bool& ended) -> std::string {
        const char type = line.size() > 1 ? line[1] : ' ';
        const int addressBytes = AddressBytes(type);
        if (addressBytes < 0)
            return FormatText("unknown record type S%c", type);
        if (bytes.size() < static_cast<size_t>(addressBytes) + 2)
            return "too short for a record";
        if (bytes[0] != bytes.size() - 1)
            return FormatText("the byte count says %d bytes follow it, the record holds %zu",
                              bytes[0], bytes.size() - 1);
        // Every byte but the checksum itself.
        const uint8_t sum = ByteSum(bytes.data(), bytes.size() - 1);
        if (static_cast<uint8_t>(~sum) != bytes.back())
            return FormatText("checksum 0x%02X is wrong; the record's bytes need 0x%02X",
                              bytes.back(), static_cast<uint8_t>(~sum));
        uint64_t address = 0;
        for (int i = 1; i <= addressBytes; ++i)
            address = address << 8 | bytes[i];
        const uint8_t* data = bytes.data() + 1 + addressBytes;
        const size_t count = bytes.size() - 2 - addressBytes;
        if (type >= '5' && count != 0)
            return FormatText("an S%c record holds no data", type);
        switch (type) {
        case '1':
        case '2':
        case '3': {
            uint64_t clash = 0;
            if (!image.Add(address, data, count, &clash))
                return FormatText("address 0x%llX was given by an earlier record",
                                  static_cast<unsigned long long>(clash));
            ++dataRecords;
            break;
        }
        case '5':
        case '6':
            if (address != dataRecords)
                return FormatText("the count record says %llu data records, the file has %llu "
                                  "before it",
                                  static_cast<unsigned long long>(address),
                                  static_cast<unsigned long long>(dataRecords));
            countLine = lines.Number();
            counted = address;
            break;
        case '7':
        case '8':
        case '9':
            ended = true;
            break;
        default:
            break; // the header says nothing about the memory
        }
        return {};
    };
    // Records after the last count, and no end record: the end may be missing.
    const auto endless = [&]() -> std::string {
        if (countLine == 0 || counted == dataRecords)
            return {};
        return FormatText("the count record on line %zu says %llu data records, the file has %llu "
                          "and no end record: it may be cut short",
                          countLine, static_cast<unsigned long long>(counted),
                          static_cast<unsigned long long>(dataRecords));
    };
    return ReadRecordLines(lines, 'S', 2, "end record (S7, S8 or S9)", take, error, endless);
}

TSRecordWriter::TSRecordWriter(uint32_t address, uint32_t count, std::string_view header)
    : TRecordWriter(address), header(header.substr(0, kMaxHeader)) {
    const uint64_t last = uint64_t{address} + (count ? count - 1 : 0);
    addressBytes = last > 0xFFFFFF ? 4 : last > 0xFFFF ? 3 : 2;
}

std::string TSRecordWriter::Add(const uint8_t* data, size_t count) {
    std::string text;
    if (!started) {
        AppendRecord(text, '0', 2, 0, reinterpret_cast<const uint8_t*>(header.data()),
                     header.size());
        started = true;
    }
    for (size_t i = 0; i < count; ++i) {
        if (Take(data[i]))
            Flush(text);
    }
    return text;
}

std::string TSRecordWriter::Finish() {
    std::string text = Add(nullptr, 0);
    if (!pending.empty())
        Flush(text);
    if (records <= 0xFFFF)
        AppendRecord(text, '5', 2, records, nullptr, 0);
    else if (records <= 0xFFFFFF)
        AppendRecord(text, '6', 3, records, nullptr, 0);
    // The end record's type matches the data records' address width.
    const char end = static_cast<char>('0' + 11 - addressBytes);
    AppendRecord(text, end, addressBytes, 0, nullptr, 0);
    return text;
}

void TSRecordWriter::Flush(std::string& text) {
    const char type = static_cast<char>('0' + addressBytes - 1);
    AppendRecord(text, type, addressBytes, PendingAddress(), PendingBytes(), pending.size());
    pending.clear();
    ++records;
}
