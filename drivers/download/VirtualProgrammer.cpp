#include "drivers/download/VirtualProgrammer.h"

#include <algorithm>

#include "drivers/common/VBoardClient.h"

namespace drivers {

namespace {

// The control protocol is one command per line: a line break in the path
// would end our command early and start another one of the caller's making.
bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

} // namespace

VirtualProgrammer::VirtualProgrammer(std::string dllDir) : dllDir(std::move(dllDir)) {}

bool VirtualProgrammer::Configure(const std::string& sofFile, std::string& error) {
    if (HasControlCharacter(sofFile)) {
        error = "refusing a design file name with control characters";
        return false;
    }
    // The daemon runs elsewhere, so it needs the whole path.
    std::string path;
    if (!ResolveDesignFile(sofFile, path, error))
        return false;

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
