#include "platform/System.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
std::string chosenProgramDirectory;
}

void SetProgramDirectory(const std::string& dir) {
    chosenProgramDirectory = dir.empty() || dir.back() == '/' ? dir : dir + "/";
}

std::string ProgramDirectory() {
    if (!chosenProgramDirectory.empty())
        return chosenProgramDirectory;
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "./";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

uint32_t GetTickCount() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

std::string UtcTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string CurrentDirectory() {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

bool SetCurrentDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

std::string QuartusInstallDirectory() {
    const char* v = std::getenv("QUARTUS_ROOTDIR");
    return v ? std::string(v) : std::string();
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/')
        return path;
    const std::string here = CurrentDirectory();
    return here.empty() ? path : here + (here.back() == '/' ? "" : "/") + path;
}

void MakePathVariablesAbsolute() {
    for (const char* name : {"KBR370_VBOARD_DIR", "QUARTUS_ROOTDIR", "KBR370_DESIGN", "KBR370_PANEL_TEST_LOG"}) {
        const char* value = std::getenv(name);
        if (value && *value && *value != '/')
            setenv(name, AbsolutePath(value).c_str(), 1);
    }
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FileNameOf(const std::string& path) {
    auto pos = path.rfind('/');
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

} // namespace platform
