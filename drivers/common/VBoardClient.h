#pragma once
#include <optional>
#include <string>

#include "drivers/common/VBoardStatus.h"

namespace drivers {

// The drivers' way to the virtual board daemon that serves one directory.
// The directory is read from the environment when the client is made, so each
// open or download follows the current KBR370_VBOARD_DIR.
class VBoardClient {
public:
    VBoardClient(); // platform::VBoardDirectory()
    explicit VBoardClient(std::string dir);

    const std::string& Dir() const { return dir; }
    std::string LinkSocket() const;
    std::string ControlSocket() const;

    // Both go only to a directory of ours with mode 0700 and to sockets of ours.
    // One control command; false when nothing answers within `timeoutMs`.
    bool Request(const std::string& command, std::string& reply, int timeoutMs) const;
    // Connects to the link socket; -1 with `why` set when it may not or cannot.
    int ConnectLink(std::string& why) const;
    // The daemon's `status`; nothing when it does not answer or the reply is not understood.
    std::optional<VBoardStatus> Status(int timeoutMs = kStatusTimeoutMs) const;

    // Makes sure a daemon answers on ctl: when none does, runs
    // `<dllDir>/kbr370-vboard serve --dir <dir>` and waits for it, at most
    // kStartTimeoutMs. A directory that is not ours with mode 0700 is refused
    // at once, and sockets forwarded from elsewhere get no daemon over them.
    // On failure `error` (when given) says why.
    bool EnsureDaemon(const std::string& dllDir, std::string* error = nullptr) const;

    static constexpr int kStatusTimeoutMs = 1000;
    static constexpr int kStartTimeoutMs = 2000;
    static constexpr const char* kDaemonName = "kbr370-vboard";

private:
    std::string dir;
};

} // namespace drivers
