#include "platform/TerminalText.h"

#include <cstdio>

namespace platform {

std::string TerminalSafe(std::string_view text, bool keepLineBreaks) {
    std::string safe;
    safe.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte < 0x7F && c != '\\') || (keepLineBreaks && c == '\n')) {
            safe.push_back(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            safe += escaped;
        }
    }
    return safe;
}

} // namespace platform
