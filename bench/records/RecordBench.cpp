// Record file figures (not a test): 1 MiB read from Intel HEX in 1-byte and
// in 32-byte data records, and what a record costs. The reading alone, not
// the transfer to a board that follows it in `kbr370 mem write`.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchStats.h"
#include "core/formats/IntelHex.h"
#include "core/formats/RecordLines.h"

namespace {

// One record: its bytes, their checksum, as hex digits after a ':'.
void AppendRecord(std::string& text, uint8_t type, uint16_t address, const uint8_t* data,
                  size_t count) {
    std::vector<uint8_t> record = {static_cast<uint8_t>(count), static_cast<uint8_t>(address >> 8),
                                   static_cast<uint8_t>(address), type};
    record.insert(record.end(), data, data + count);
    record.push_back(static_cast<uint8_t>(-ByteSum(record.data(), record.size())));
    text += ':';
    AppendHexBytes(text, record.data(), record.size());
    text += '\n';
}

std::string IntelHex(const std::vector<uint8_t>& data, size_t perRecord) {
    std::string text;
    for (size_t at = 0; at < data.size(); at += perRecord) {
        if (at % 0x10000 == 0) {
            const uint8_t upper[] = {static_cast<uint8_t>(at >> 24),
                                     static_cast<uint8_t>(at >> 16)};
            AppendRecord(text, 0x04, 0, upper, 2);
        }
        AppendRecord(text, 0x00, static_cast<uint16_t>(at), data.data() + at, perRecord);
    }
    AppendRecord(text, 0x01, 0, nullptr, 0);
    return text;
}

// The median seconds of reading `text` as the command line does: in 64 KiB pieces.
double ReadSeconds(const std::string& text) {
    std::vector<double> samples;
    for (int run = 0; run < 7; ++run) {
        size_t at = 0;
        TRecordLines lines{TTextSource([&](char* buffer, size_t size) {
            const size_t n = std::min(size, text.size() - at);
            text.copy(buffer, n, at);
            at += n;
            return n;
        })};
        TRecordImage image;
        TRecordError error;
        const auto start = std::chrono::steady_clock::now();
        if (!ReadIntelHex(lines, image, error) || image.Bytes() != 1 << 20) {
            std::fprintf(stderr, "line %zu: %s\n", error.line, error.what.c_str());
            return -1;
        }
        samples.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return bench::Median(samples);
}

} // namespace

int main() {
    std::vector<uint8_t> data(1 << 20);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
    const std::string small = IntelHex(data, 1), large = IntelHex(data, 32);
    const double smallSeconds = ReadSeconds(small), largeSeconds = ReadSeconds(large);
    const double ratio = smallSeconds / largeSeconds;
    const double records = static_cast<double>(data.size());
    std::printf("1 MiB of Intel HEX read: 1-byte records %.1f ms (%.1f MB of text, %.0f ns a "
                "record), 32-byte records %.1f ms (%.1f MB): %.1fx the time for %.1fx the text\n",
                smallSeconds * 1e3, small.size() / 1e6, smallSeconds / records * 1e9,
                largeSeconds * 1e3, large.size() / 1e6, ratio,
                static_cast<double>(small.size()) / static_cast<double>(large.size()));
    return smallSeconds > 0 && largeSeconds > 0 ? 0 : 1;
}
