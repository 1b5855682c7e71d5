#include "platform/VBoardDir.h"

#include <cstdlib>
#include <unistd.h>

namespace platform {

std::string VBoardDirectory() {
    if (const char* d = std::getenv("KBR370_VBOARD_DIR"); d && *d)
        return d;
    if (const char* x = std::getenv("XDG_RUNTIME_DIR"); x && *x)
        return std::string(x) + "/kbr370-vboard";
    return "/tmp/kbr370-vboard-" + std::to_string(getuid());
}

} // namespace platform
