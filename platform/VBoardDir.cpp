#include "platform/VBoardDir.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/UnixSocket.h"

namespace platform {

std::string VBoardDirectory() {
    if (const char* d = std::getenv("KBR370_VBOARD_DIR"); d && *d)
        return d;
    if (const char* x = std::getenv("XDG_RUNTIME_DIR"); x && *x)
        return std::string(x) + "/kbr370-vboard";
    return "/tmp/kbr370-vboard-" + std::to_string(getuid());
}

VBoardDirState CheckVBoardDirectory(const std::string& dir, std::string& why) {
    // Both sockets must fit a socket address; "link" and "ctl" differ in length.
    if (!UnixPathFits(VBoardLinkSocket(dir)) || !UnixPathFits(VBoardControlSocket(dir))) {
        why = "the board directory " + dir + " has too long a path for a socket (at most " +
              std::to_string(kUnixPathMax - 6) + " characters)";
        return VBoardDirState::Refused;
    }
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0) {
        why = "cannot use the board directory " + dir + ": " + std::strerror(errno);
        return errno == ENOENT ? VBoardDirState::Missing : VBoardDirState::Refused;
    }
    if (!S_ISDIR(st.st_mode)) {
        why = "the board directory " + dir + " is not a directory";
        return VBoardDirState::Refused;
    }
    if (st.st_uid != geteuid()) {
        why = "the board directory " + dir + " belongs to another user";
        return VBoardDirState::Refused;
    }
    if ((st.st_mode & 07777) != 0700) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
        why = "the board directory " + dir + " has mode " + mode + "; it must be 0700";
        return VBoardDirState::Refused;
    }
    return VBoardDirState::Usable;
}

bool CheckOwnSocket(const std::string& path, std::string& why) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        why = "no virtual board answers at " + path;
        return false;
    }
    if (!S_ISSOCK(st.st_mode)) {
        why = path + " is not a socket";
        return false;
    }
    if (st.st_uid != geteuid()) {
        why = "the socket " + path + " belongs to another user";
        return false;
    }
    return true;
}

int ConnectVBoardSocket(const std::string& dir, const std::string& socketPath, std::string& why) {
    if (CheckVBoardDirectory(dir, why) != VBoardDirState::Usable ||
        !CheckOwnSocket(socketPath, why))
        return -1;
    int fd = ConnectUnix(socketPath);
    if (fd < 0)
        why = "no virtual board answers at " + socketPath;
    return fd;
}

} // namespace platform
