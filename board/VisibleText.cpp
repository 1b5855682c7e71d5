#include "board/VisibleText.h"

#include <fmt/format.h>

std::string ControlNotation(uint8_t byte) {
    if (byte < 0x20)
        return {'^', static_cast<char>(byte + 0x40)};
    if (byte == 0x7F)
        return "^?";
    if (byte >= 0x80 && byte < 0xA0)
        return fmt::format("<{:02X}>", byte);
    return {};
}

std::string VisibleLatin1(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (const std::string notation = ControlNotation(byte); !notation.empty())
            text += notation;
        else if (byte < 0x80)
            text += c;
        else {
            text += static_cast<char>(0xC0 | byte >> 6);
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}
