#include "drivers/common/Complain.h"

#include <cstdio>

#include "platform/TerminalText.h"

namespace drivers {

void Complain(const char* library, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", library, platform::TerminalSafe(text).c_str());
}

} // namespace drivers
