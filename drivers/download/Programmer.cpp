#include "drivers/download/Programmer.h"

#include <filesystem>
#include <fstream>

namespace drivers {

bool ResolveDesignFile(const std::string& sofFile, std::string& path, std::string& error) {
    if (sofFile.empty()) {
        error = "no design file given";
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(sofFile, ec) ||
        !std::ifstream(sofFile, std::ios::binary).good()) {
        error = "cannot read the design file " + sofFile;
        return false;
    }
    path = std::filesystem::absolute(sofFile, ec).lexically_normal().string();
    if (ec) {
        error = "cannot resolve the design file " + sofFile;
        return false;
    }
    return true;
}

} // namespace drivers
