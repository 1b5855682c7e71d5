#include "cli/OutputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <fmt/format.h>

#include "cli/CliError.h"

namespace {

namespace fs = std::filesystem;

// The absolute path that `name` leads to, symbolic links resolved as the
// kernel's protected-symlinks rule would: a link is followed only when it
// belongs to us or to root. Anyone may plant a link in a sticky /tmp, and
// following it would let them choose which of our files gets replaced.
fs::path ResolveOwnLinks(const std::string& name) {
    std::error_code ec;
    const fs::path start = fs::absolute(name, ec);
    if (ec)
        throw UsageError(fmt::format("cannot create {}: {}", name, ec.message()));
    const fs::path parts = start.relative_path();
    std::vector<fs::path> todo(parts.begin(), parts.end());
    std::reverse(todo.begin(), todo.end());
    fs::path resolved = "/";
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
        if (st.st_uid != geteuid() && st.st_uid != 0)
            throw UsageError(fmt::format(
                "refusing to write {}: {} is a symbolic link that belongs to another user", name,
                next.string()));
        if (++links > 40)
            throw UsageError(fmt::format("cannot create {}: too many symbolic links", name));
        const fs::path target = fs::read_symlink(next, ec);
        if (ec)
            throw UsageError(fmt::format("cannot create {}: {}", name, ec.message()));
        if (target.is_absolute())
            resolved = "/";
        for (auto it = target.end(); it != target.begin();) {
            --it;
            if (!it->empty() && *it != "/")
                todo.push_back(*it);
        }
    }
    return resolved;
}

// A file we would not be allowed to write in place is not replaced either; a
// read-only file says "keep me". Root may write anything, so for root the
// mode's write bits decide.
bool Writable(const fs::path& path, const struct stat& st) {
    if (geteuid() == 0)
        return (st.st_mode & 0222) != 0;
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

} // namespace

TOutputFile::TOutputFile(const std::string& name) {
    if (name.empty() || name.back() == '/')
        throw UsageError("no output file name given");
    // Opening the link changes the current directory, so keep full paths. A
    // symbolic link of ours is followed, so the rename replaces the file it names.
    path = ResolveOwnLinks(name).string();
    struct stat old {};
    const bool replacing = lstat(path.c_str(), &old) == 0;
    // A device or pipe cannot be replaced by a rename.
    if (replacing && !S_ISREG(old.st_mode))
        throw UsageError(fmt::format("cannot write {}: not a regular file", name));
    if (replacing && !Writable(path, old))
        throw UsageError(fmt::format("cannot write {}: the file is read-only", name));
    // The new file takes the place of the old one, and so its permissions
    // (not set-id bits: the new file is ours, whoever owned the old one);
    // a new name gets what a plain create would give.
    mode_t mode = 0666;
    if (replacing) {
        mode = old.st_mode & 0777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    if (!file.CreateBeside(path, mode))
        throw UsageError(fmt::format("cannot create {}: {}", path, std::strerror(errno)));
}

void TOutputFile::Write(const void* data, size_t count) {
    errno = 0;
    if (!file.Write(data, count)) {
        // A write that took nothing without an error means the disk is full.
        const std::string reason = std::strerror(errno ? errno : ENOSPC);
        file.Discard();
        throw BoardFailure(fmt::format("writing {} failed: {}", path, reason));
    }
}

void TOutputFile::Commit() {
    if (!file.Commit())
        throw BoardFailure(fmt::format("cannot write {}: {}", path, std::strerror(errno)));
}
