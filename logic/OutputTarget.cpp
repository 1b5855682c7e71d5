#include "logic/OutputTarget.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The absolute path that `name` leads to, following only links of ours or
// root's; false with the reason otherwise.
bool ResolveOwnLinks(const std::string& name, fs::path& resolved, std::string& reason) {
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
        if (st.st_uid != geteuid() && st.st_uid != 0) {
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

} // namespace

bool ResolveOutputTarget(const std::string& name, TOutputTarget& target, std::string& reason) {
    if (name.empty() || name.back() == '/') {
        reason = "no output file name given";
        return false;
    }
    // Full paths: opening the board link changes the current directory.
    fs::path resolved;
    if (!ResolveOwnLinks(name, resolved, reason))
        return false;
    target.path = resolved.string();
    struct stat old {};
    const bool replacing = lstat(target.path.c_str(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode)) {
        reason = "cannot write " + name + ": not a regular file";
        return false;
    }
    if (replacing && !Writable(target.path, old)) {
        reason = "cannot write " + name + ": the file is read-only";
        return false;
    }
    // A new name gets what a plain create would give.
    if (replacing) {
        target.mode = old.st_mode & 0777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        target.mode = 0666 & ~mask;
    }
    return true;
}
