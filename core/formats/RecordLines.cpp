#include "core/formats/RecordLines.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/devices/MemoryModel.h"
#include "wire/HexDigit.h"

namespace {

// Each character's digit value, or 0xFF for one that is not a hex digit:
// records are decoded a pair at a time, with one look-up a digit.
constexpr auto kDigitValues = [] {
    std::array<uint8_t, 256> values{};
    for (int c = 0; c < 256; ++c) {
        const int value = kbr::wire::HexDigitValue(static_cast<char>(c));
        values[c] = value < 0 ? 0xFF : static_cast<uint8_t>(value);
    }
    return values;
}();

// The offset of the first LF at or after `from`, else the text's size. Lines
// are short, shorter than a library search takes to start, so eight bytes
// are tried at a time.
size_t LineEnd(std::string_view text, size_t from) {
    constexpr uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
    size_t at = from;
    for (; at + 8 <= text.size(); at += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        const uint64_t lf = word ^ (kOnes * '\n'); // a zero byte where an LF was
        if ((lf - kOnes) & ~lf & kHighs)
            break;
    }
    while (at < text.size() && text[at] != '\n')
        ++at;
    return at;
}

} // namespace

bool TRecordLines::Refill() {
    if (!source || drained)
        return false;
    constexpr size_t kPiece = 64 * 1024;
    const size_t keep = window.size();
    if (keep)
        std::memmove(buffer.data(), window.data(), keep);
    buffer.resize(keep + kPiece);
    const size_t got = source(buffer.data() + keep, kPiece);
    buffer.resize(keep + got);
    window = buffer;
    drained = got == 0;
    return !drained;
}

bool TRecordLines::NextRaw(std::string_view& line) {
    for (size_t from = 0;;) {
        const size_t end = LineEnd(window, from);
        if (end < window.size()) {
            line = window.substr(0, end);
            window.remove_prefix(end + 1);
            break;
        }
        if (window.size() > kMaxRecordLine) {
            tooLong = true;
            number = counted + 1;
            return false;
        }
        from = window.size();
        if (!Refill()) {
            if (window.empty())
                return false;
            line = window;
            window = {};
            lastLineOpen = true;
            break;
        }
    }
    ++counted;
    return true;
}

bool TRecordLines::Next(std::string_view& line) {
    while (NextRaw(line)) {
        size_t size = line.size();
        while (size > 0 &&
               (line[size - 1] == ' ' || line[size - 1] == '\t' || line[size - 1] == '\r'))
            --size;
        if (size == 0)
            continue;
        line = line.substr(0, size);
        number = counted;
        return true;
    }
    // A text of blank lines only is named by its last line.
    if (!tooLong && number == 0)
        number = counted;
    return false;
}

bool DecodeRecordDigits(std::string_view digits, std::vector<uint8_t>& bytes, std::string& what,
                        size_t column) {
    const auto* text = reinterpret_cast<const unsigned char*>(digits.data());
    const size_t pairs = digits.size() / 2;
    bytes.resize(pairs);
    uint8_t bad = 0; // any bit of 0xF0 set: a character that is no digit
    for (size_t i = 0; i < pairs; ++i) {
        const uint8_t high = kDigitValues[text[2 * i]], low = kDigitValues[text[2 * i + 1]];
        bad |= high | low;
        bytes[i] = static_cast<uint8_t>(high << 4 | (low & 0x0F));
    }
    if (digits.size() % 2 != 0)
        bad |= kDigitValues[text[digits.size() - 1]];
    if (bad & 0xF0) {
        for (size_t i = 0; i < digits.size(); ++i)
            if (kDigitValues[text[i]] == 0xFF) {
                what = FormatText("character 0x%02X at column %zu is not a hex digit", text[i],
                                  column + i);
                break;
            }
        return false;
    }
    if (digits.size() % 2 != 0) {
        what = "an odd number of hex digits";
        return false;
    }
    return true;
}

void AppendHexByte(std::string& text, uint8_t byte) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
}

uint8_t ByteSum(const uint8_t* data, size_t count) {
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += data[i];
    return sum;
}

uint8_t AppendHexBytes(std::string& text, const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i)
        AppendHexByte(text, data[i]);
    return ByteSum(data, count);
}

bool ReadRecordLines(TRecordLines& lines, char mark, size_t digitsFrom, std::string_view end,
                     const TRecordTaker& take, TRecordError& error, const TEndlessCheck& endless) {
    std::string_view line;
    std::vector<uint8_t> bytes;
    bool ended = false;
    // The end record's name alone, without its example.
    const std::string_view endName = end.substr(0, end.find(" ("));
    auto fail = [&](std::string what) {
        error = {lines.Number(), std::move(what)};
        return false;
    };
    while (lines.Next(line)) {
        if (ended)
            return fail("a record after the " + std::string(endName));
        if ((line[0] | 0x20) != (mark | 0x20))
            return fail(FormatText("the line does not start with '%c'", mark));
        std::string what;
        if (!DecodeRecordDigits(line.substr(std::min(digitsFrom, line.size())), bytes, what,
                                digitsFrom + 1))
            return fail(what);
        what = take(line, bytes, ended);
        if (!what.empty())
            return fail(what);
    }
    if (lines.TooLong())
        return fail(FormatText("the line is longer than %zu characters; no record is that long",
                               kMaxRecordLine));
    if (ended)
        return true;
    if (!endless || lines.LastLineOpen())
        return fail("no " + std::string(end) + ": the file may be cut short");
    const std::string what = endless();
    return what.empty() || fail(what);
}
