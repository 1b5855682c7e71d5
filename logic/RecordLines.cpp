#include "logic/RecordLines.h"

#include "logic/MemoryModel.h"
#include "wire/HexDigit.h"

bool TRecordLines::Next(std::string_view& line) {
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        ++counted;
        const size_t last = line.find_last_not_of(" \t\r");
        if (last == std::string_view::npos)
            continue;
        line = line.substr(0, last + 1);
        number = counted;
        return true;
    }
    return false;
}

bool DecodeRecordDigits(std::string_view digits, std::vector<uint8_t>& bytes, std::string& what) {
    bytes.clear();
    for (size_t i = 0; i < digits.size(); ++i) {
        if (kbr::wire::HexDigitValue(digits[i]) < 0) {
            what = FormatText("character 0x%02X at column %zu is not a hex digit",
                              static_cast<unsigned char>(digits[i]), i + 2);
            return false;
        }
    }
    if (digits.size() % 2 != 0) {
        what = "an odd number of hex digits";
        return false;
    }
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(kbr::wire::HexDigitValue(digits[i]) << 4 |
                                             kbr::wire::HexDigitValue(digits[i + 1])));
    return true;
}

void AppendHexByte(std::string& text, uint8_t byte) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
}
