#include "core/files/OutputTarget.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool OursOrRoot(uid_t owner) {
    return owner == geteuid() || owner == 0;
}

bool IsStream(mode_t mode) {
    return S_ISFIFO(mode) || S_ISCHR(mode) || S_ISBLK(mode);
}

// The absolute path that `name` leads to, following only links of ours or
// root's; false with the reason otherwise.
bool ResolveOwnLinks(const std::string& name, fs::path& resolved, std::string& reason) {
    if (name.empty() || name.back() == '/') {
        reason = "no output file name given";
        return false;
    }
    std::error_code ec;
    const fs::path start = fs::absolute(name, ec);
    if (ec) {
        reason = "cannot create " + name + ": " + ec.message();
        return false;
    }
    const fs::path parts = start.relative_path();
    std::vector<fs::path> todo(parts.begin(), parts.end());
    std::reverse(todo.begin(), todo.end());
    resolved = "/";
    int links = 0;
    while (!todo.empty()) {
        const fs::path part = todo.back();
        todo.pop_back();
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            resolved = resolved.parent_path();
            continue;
        }
        const fs::path next = resolved / part;
        struct stat st {};
        if (lstat(next.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            resolved = next; // a missing part is created or refused later
            continue;
        }
        if (!OursOrRoot(st.st_uid)) {
            reason = "refusing to write " + name + ": " + next.string() +
                     " is a symbolic link that belongs to another user";
            return false;
        }
        if (++links > 40) {
            reason = "cannot create " + name + ": too many symbolic links";
            return false;
        }
        const fs::path target = fs::read_symlink(next, ec);
        if (ec) {
            reason = "cannot create " + name + ": " + ec.message();
            return false;
        }
        if (target.is_absolute())
            resolved = "/";
        for (auto it = target.end(); it != target.begin();) {
            --it;
            if (!it->empty() && *it != "/")
                todo.push_back(*it);
        }
    }
    return true;
}

// Root may write anything, so for root the mode's write bits decide.
bool Writable(const fs::path& path, const struct stat& st) {
    if (geteuid() == 0)
        return (st.st_mode & 0222) != 0;
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Whether the rename that replaces `old` at `path` would be let through: in
// a sticky folder (/tmp) only root, the file's owner or the folder's may
// rename over a file. Found now rather than after a long run.
bool Replaceable(const fs::path& path, const struct stat& old) {
    struct stat folder {};
    if (geteuid() == 0 || old.st_uid == geteuid() ||
        lstat(path.parent_path().c_str(), &folder) != 0)
        return true;
    return (folder.st_mode & S_ISVTX) == 0 || folder.st_uid == geteuid();
}

unsigned UmaskMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Whether the FIFO or device `st` is one we may write; the reason otherwise.
bool StreamAllowed(const std::string& name, const struct stat& st, std::string& reason) {
    if (OursOrRoot(st.st_uid))
        return true;
    reason = "refusing to write " + name + ": it is " +
             (S_ISFIFO(st.st_mode) ? "a FIFO" : "a device") + " that belongs to another user";
    return false;
}

// The file that `probe` (an O_PATH handle) stands for, opened with `flags`.
// Opening it through /proc reaches the very file the handle was checked on,
// whatever its name leads to by now.
int Reopen(int probe, int flags) {
    const std::string self = "/proc/self/fd/" + std::to_string(probe);
    int fd;
    do
        fd = open(self.c_str(), flags | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// `path` opened with `flags`, once `allowed` passes the file there. It is
// looked at on a handle that opens nothing (opening a FIFO would wait for its
// reader) and reopened from that handle, so what is opened is what was
// checked. -1 with the reason otherwise, `missing` when nothing is there.
int OpenChecked(const std::string& path, int flags, const std::string& failed,
                const std::function<bool(const struct stat&, std::string&)>& allowed,
                std::string& reason, bool& missing) {
    const int probe = open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (probe < 0) {
        missing = errno == ENOENT;
        reason = failed + std::strerror(errno);
        return -1;
    }
    struct stat st {};
    int fd = -1;
    if (fstat(probe, &st) != 0)
        reason = failed + std::strerror(errno);
    else if (allowed(st, reason) && (fd = Reopen(probe, flags)) < 0)
        reason = failed + std::strerror(errno);
    close(probe);
    return fd;
}

// Whether the log `st` names may be appended to; the reason otherwise.
bool LogAllowed(const std::string& name, const struct stat& st, std::string& reason) {
    if (IsStream(st.st_mode))
        return StreamAllowed(name, st, reason);
    if (!S_ISREG(st.st_mode)) {
        reason = "cannot append to " + name + ": not a regular file";
        return false;
    }
    // Another user's file, however open its mode, would hand them what we log.
    if (st.st_uid != geteuid()) {
        reason = "refusing to append to " + name + ": the file belongs to another user";
        return false;
    }
    const mode_t write = geteuid() == 0 ? 0222 : S_IWUSR;
    if ((st.st_mode & write) == 0) {
        reason = "cannot append to " + name + ": the file is read-only";
        return false;
    }
    return true;
}

} // namespace

int DescriptorNamed(std::string_view name) {
    if (name == "-" || name == "/dev/stdout")
        return STDOUT_FILENO;
    if (name == "/dev/stderr")
        return STDERR_FILENO;
    for (std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (name.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view digits = name.substr(prefix.size());
        int fd = -1;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), fd);
        if (ec == std::errc() && end == digits.data() + digits.size())
            return fd;
    }
    return -1;
}

bool ResolveOutputTarget(const std::string& name, TOutputTarget& target, std::string& reason) {
    // Full paths: opening the board link changes the current directory.
    fs::path resolved;
    if (!ResolveOwnLinks(name, resolved, reason))
        return false;
    target = {};
    target.path = resolved.string();
    struct stat old {};
    if (lstat(target.path.c_str(), &old) != 0) {
        target.mode = UmaskMode(); // what a plain create would give
        return true;
    }
    target.exists = true;
    target.device = old.st_dev;
    target.inode = old.st_ino;
    if (IsStream(old.st_mode)) {
        target.stream = true;
        return StreamAllowed(name, old, reason);
    }
    if (!S_ISREG(old.st_mode)) {
        reason = "cannot write " + name + ": not a regular file";
        return false;
    }
    if (!Writable(target.path, old)) {
        reason = "cannot write " + name + ": the file is read-only";
        return false;
    }
    if (!Replaceable(target.path, old)) {
        reason = "cannot replace " + name + ": it belongs to another user in a shared folder";
        return false;
    }
    target.mode = old.st_uid == geteuid() ? old.st_mode & 0777 : UmaskMode();
    return true;
}

int OpenOutputStream(const std::string& name, const TOutputTarget& target, std::string& reason) {
    bool missing = false;
    return OpenChecked(
        target.path, O_WRONLY, "cannot write " + name + ": ",
        [&name](const struct stat& st, std::string& why) {
            if (IsStream(st.st_mode))
                return StreamAllowed(name, st, why);
            why = "cannot write " + name + ": it was replaced while being opened";
            return false;
        },
        reason, missing);
}

int OpenLogFile(const std::string& name, std::string& reason) {
    if (const int named = DescriptorNamed(name); named >= 0) {
        const int fd = fcntl(named, F_DUPFD_CLOEXEC, 3);
        if (fd < 0)
            reason = "cannot open the log " + name + ": descriptor " + std::to_string(named) +
                     " is not open";
        return fd;
    }
    fs::path resolved;
    if (!ResolveOwnLinks(name, resolved, reason))
        return -1;
    const std::string failed = "cannot open the log " + name + ": ";
    const auto allowed = [&name](const struct stat& st, std::string& why) {
        if (!S_ISLNK(st.st_mode))
            return LogAllowed(name, st, why);
        why = "refusing to append to " + name + ": a symbolic link took its place";
        return false;
    };
    // A name that appears between the look and the create is looked at again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        bool missing = false;
        const int fd = OpenChecked(resolved, O_WRONLY | O_APPEND, failed, allowed, reason, missing);
        if (!missing)
            return fd;
        const int created = open(resolved.c_str(),
                                 O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                 0666);
        if (created >= 0 || errno != EEXIST) {
            if (created < 0)
                reason = failed + std::strerror(errno);
            return created;
        }
    }
    reason = failed + "it keeps being replaced";
    return -1;
}

bool SameOutput(const TOutputTarget& a, const TOutputTarget& b) {
    if (!a.path.empty() && a.path == b.path)
        return true;
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}
