#include "drivers/quartus/QuartusFolder.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace drivers {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgrammer = "quartus_pgm";

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

// The first executable quartus_pgm on $PATH; empty when there is none.
std::string ProgrammerOnPath() {
    const char* path = std::getenv("PATH");
    if (!path)
        return {};
    std::string rest = path;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find(':', start);
        if (end == std::string::npos)
            end = rest.size();
        std::string dir = rest.substr(start, end - start);
        start = end + 1;
        // An empty entry is the current directory; a programmer found there
        // would depend on where the panel happened to start, so skip it.
        if (dir.empty())
            continue;
        std::string candidate = dir + "/" + kProgrammer;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

} // namespace

bool QuartusFolder::Find(std::string& folder, std::string& error) {
    const char* root = std::getenv("QUARTUS_ROOTDIR");
    std::string rootText = root ? root : "";
    if (IsFolder(rootText)) {
        folder = rootText;
        return true;
    }
    std::string onPath = ProgrammerOnPath();
    if (!onPath.empty()) {
        // Quartus's bin/ may be reached through a linked folder; its parent is
        // the parent of the real one. The program file itself is often a link
        // to a shared wrapper script, so only its folder is resolved.
        std::error_code ec;
        fs::path bin = fs::canonical(fs::path(onPath).parent_path(), ec);
        if (!ec && bin.has_parent_path() && IsFolder(bin.parent_path().string())) {
            folder = bin.parent_path().string();
            return true;
        }
    }
    error = "Quartus (or the Quartus Programmer) must be installed: ";
    error += rootText.empty() ? "QUARTUS_ROOTDIR is not set"
                              : "QUARTUS_ROOTDIR names " + rootText + ", which is not a folder";
    error += ", and no quartus_pgm was found on PATH";
    return false;
}

std::string QuartusFolder::Join(const std::string& folder, const char* inside) {
    if (!folder.empty() && folder.back() == '/')
        return folder + inside;
    return folder + "/" + inside;
}

} // namespace drivers
