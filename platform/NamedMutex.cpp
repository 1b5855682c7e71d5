#include "platform/NamedMutex.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/VBoardDir.h"

namespace platform {

namespace {

const char* RuntimeDirectory() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    return xdg && *xdg ? xdg : nullptr;
}

} // namespace

std::string NamedMutex::LockDirectory() {
    if (const char* xdg = RuntimeDirectory())
        return xdg;
    // A lock file straight in /tmp would be shared by all users: the first
    // one's file would shut every other user out.
    return "/tmp/kbr370-lock-" + std::to_string(geteuid());
}

NamedMutex::NamedMutex(const std::string& name) {
    const std::string dir = LockDirectory();
    path_ = dir + "/" + name + ".lock";
    bool created = false;
    if (!RuntimeDirectory() && !MakePrivateDirectory(dir, "the lock directory", created, error_))
        return;
    // O_NOFOLLOW: a link in the lock file's place is refused, never followed.
    const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = "cannot open the lock file " + path_ + ": " + std::strerror(errno);
        return;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        close(fd);
        if (err == EWOULDBLOCK) {
            state_ = State::Held;
            return;
        }
        error_ = "cannot lock " + path_ + ": " + std::strerror(err);
        return;
    }
    fd_ = fd;
    state_ = State::Acquired;
}

NamedMutex::~NamedMutex() { Release(); }

void NamedMutex::Release() {
    if (fd_ >= 0) {
        flock(fd_, LOCK_UN);
        close(fd_);
        fd_ = -1;
    }
}

} // namespace platform
