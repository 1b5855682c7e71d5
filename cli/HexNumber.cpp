#include "cli/HexNumber.h"

std::optional<uint32_t> ParseHexNumber(std::string_view text, bool needPrefix) {
    const bool prefixed = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (needPrefix && !prefixed)
        return std::nullopt;
    if (prefixed)
        text.remove_prefix(2);
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value << 4 | static_cast<unsigned>(digit);
        if (value > UINT32_MAX)
            return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}
