#include "platform/NamedMutex.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

static std::string LockDirectory() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    return (xdg && *xdg) ? std::string(xdg) : std::string("/tmp");
}

NamedMutex::NamedMutex(const std::string& name) : path_(LockDirectory() + "/" + name + ".lock") {
    // In /tmp another user could have put a link in the lock file's place.
    int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return;
    }
    fd_ = fd;
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
