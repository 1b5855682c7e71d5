#include "cli/TerminalText.h"

#include <fmt/format.h>

std::string TerminalSafe(std::string_view text, bool keepLineBreaks) {
    std::string safe;
    safe.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte < 0x7F && c != '\\') || (keepLineBreaks && c == '\n'))
            safe.push_back(c);
        else
            safe += fmt::format("\\x{:02X}", byte);
    }
    return safe;
}
