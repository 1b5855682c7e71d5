#include "drivers/download/VirtualProgrammer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "drivers/common/VBoardClient.h"

namespace drivers {

namespace {

// The control protocol is one command per line: a line break in the path
// would end our command early and start another one of the caller's making.
bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

bool IsReadableFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    return in.good();
}

} // namespace

VirtualProgrammer::VirtualProgrammer(std::string dllDir) : dllDir(std::move(dllDir)) {}

bool VirtualProgrammer::Configure(const std::string& sofFile, std::string& error) {
    if (sofFile.empty()) {
        error = "no design file given";
        return false;
    }
    if (HasControlCharacter(sofFile)) {
        error = "refusing a design file name with control characters";
        return false;
    }
    if (!IsReadableFile(sofFile)) {
        error = "cannot read the design file " + sofFile;
        return false;
    }
    // The daemon runs elsewhere, so it needs the whole path.
    std::error_code ec;
    std::string path = std::filesystem::absolute(sofFile, ec).lexically_normal().string();
    if (ec) {
        error = "cannot resolve the design file " + sofFile;
        return false;
    }

    VBoardClient client;
    if (!client.EnsureDaemon(dllDir, &error))
        return false;
    std::string reply;
    if (!client.Request("configure " + path, reply, kConfigureTimeoutMs)) {
        error = "the virtual board in " + client.Dir() + " did not answer the configure request";
        return false;
    }
    if (reply == "ok" || reply.rfind("ok ", 0) == 0)
        return true;
    error = "the virtual board refused " + path + ": " + reply;
    return false;
}

} // namespace drivers
