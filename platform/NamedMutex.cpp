#include "platform/NamedMutex.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/VBoardDir.h"

namespace platform {

namespace {

constexpr const char* kLockDirName = "the lock directory";

const char* RuntimeDirectory() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    return xdg && *xdg ? xdg : nullptr;
}

// A lock file straight in /tmp would be shared by all users: the first one's
// file would shut every other user out. So the lock lies in a folder of the
// user's own there.
std::string SharedLockDirectory() {
    return "/tmp/kbr370-lock-" + std::to_string(geteuid());
}

// The user's cache folder: $XDG_CACHE_HOME when absolute, else ~/.cache.
std::string CacheDirectory() {
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        return xdg;
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h)
        home = h;
    else if (const passwd* pw = getpwuid(geteuid()))
        home = pw->pw_dir;
    return home + "/.cache";
}

// Under the user's home, where no other user can take the name first; used
// when the folder in /tmp is not ours to use.
std::string CacheLockDirectory() {
    return CacheDirectory() + "/kbr370";
}

// Makes or takes the lock folder: the one in /tmp, else, when something that
// is not our private folder stands in its place, the one in the cache folder.
// Copies of one user agree, as another user can neither take nor remove a
// folder of ours in /tmp.
bool MakeLockDirectory(std::string& dir, std::string& why) {
    bool created = false;
    std::string sharedWhy;
    dir = SharedLockDirectory();
    if (MakePrivateDirectory(dir, kLockDirName, created, sharedWhy))
        return true;
    std::string now;
    if (CheckPrivateDirectory(dir, kLockDirName, now) != PrivateDirState::Refused) {
        why = sharedWhy;
        return false;
    }
    dir = CacheLockDirectory();
    // The cache folder itself as the XDG rules make a missing one: private.
    mkdir(CacheDirectory().c_str(), 0700);
    if (MakePrivateDirectory(dir, kLockDirName, created, why))
        return true;
    why = sharedWhy + "; " + why;
    return false;
}

} // namespace

NamedMutex::NamedMutex(const std::string& name) {
    std::string dir;
    if (const char* xdg = RuntimeDirectory())
        dir = xdg;
    else if (!MakeLockDirectory(dir, error_))
        return;
    path_ = dir + "/" + name + ".lock";
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
