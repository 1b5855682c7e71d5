#include "platform/VBoardDir.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

PrivateDirState CheckPrivateDirectory(const std::string& dir, const std::string& what,
                                      std::string& why) {
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0) {
        why = "cannot use " + what + " " + dir + ": " + std::strerror(errno);
        return errno == ENOENT ? PrivateDirState::Missing : PrivateDirState::Refused;
    }
    if (!S_ISDIR(st.st_mode)) {
        why = what + " " + dir + " is not a directory";
        return PrivateDirState::Refused;
    }
    if (st.st_uid != geteuid()) {
        why = what + " " + dir + " belongs to another user";
        return PrivateDirState::Refused;
    }
    if ((st.st_mode & 07777) != 0700) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
        why = what + " " + dir + " has mode " + mode + "; it must be 0700";
        return PrivateDirState::Refused;
    }
    return PrivateDirState::Usable;
}

bool MakePrivateDirectory(const std::string& dir, const std::string& what, bool& created,
                          std::string& why) {
    created = false;
    switch (CheckPrivateDirectory(dir, what, why)) {
    case PrivateDirState::Usable:
        return true;
    case PrivateDirState::Refused:
        return false;
    case PrivateDirState::Missing:
        break;
    }
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(dir).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, ec);
    if (mkdir(dir.c_str(), 0700) != 0) {
        // Another process of ours may have made it just now; the check decides.
        if (errno == EEXIST)
            return CheckPrivateDirectory(dir, what, why) == PrivateDirState::Usable;
        why = "cannot create " + dir + ": " + std::strerror(errno);
        return false;
    }
    created = true;
    // The umask may have taken bits away, never added any; check all the same.
    return CheckPrivateDirectory(dir, what, why) == PrivateDirState::Usable;
}

VBoardDirState CheckVBoardDirectory(const std::string& dir, std::string& why) {
    // Both sockets must fit a socket address; "link" and "ctl" differ in length.
    if (!UnixPathFits(VBoardLinkSocket(dir)) || !UnixPathFits(VBoardControlSocket(dir))) {
        why = std::string(kVBoardDirName) + " " + dir +
              " has too long a path for a socket (at most " + std::to_string(kUnixPathMax - 6) +
              " characters)";
        return VBoardDirState::Refused;
    }
    return CheckPrivateDirectory(dir, kVBoardDirName, why);
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

bool SocketListens(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
        return false;
    int fd = ConnectUnix(path);
    CloseFd(fd);
    return fd >= 0;
}

bool VBoardSocketsForwarded(const std::string& dir) {
    struct stat st {};
    return lstat(VBoardPidFile(dir).c_str(), &st) != 0 && errno == ENOENT &&
           SocketListens(VBoardControlSocket(dir));
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
