#include "config/DesignPath.h"

#include <cstdlib>

#include "platform/System.h"

std::string DesignFilePath(const std::string& designName) {
    const char* chosen = std::getenv("KBR370_DESIGN");
    if (chosen && *chosen)
        return chosen;
    return platform::ProgramDirectory() + designName;
}
