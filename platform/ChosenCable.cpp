#include "platform/ChosenCable.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/TerminalText.h"

namespace platform {

std::string ChosenCable() {
    const char* value = std::getenv("KBR370_CABLE");
    std::string name = value && *value ? value : kVirtualCable;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

std::string ChosenBlaster(const std::string& otherwise) {
    const char* value = std::getenv("KBR370_BLASTER");
    return value && *value ? value : otherwise;
}

std::string UnknownCableText() {
    const std::string name = ChosenCable();
    if (name == kVirtualCable || name == kBlasterCable)
        return {};
    return "unknown cable \"" + TerminalSafe(std::getenv("KBR370_CABLE")) +
           "\" in KBR370_CABLE (known: " + kVirtualCable + ", " + kBlasterCable + ")";
}

} // namespace platform
