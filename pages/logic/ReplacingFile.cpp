#include "pages/logic/ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

TReplacingFile::~TReplacingFile() {
    Discard();
}

bool TReplacingFile::Create(const std::string& name) {
    Discard();
    if (name.empty() || name.back() == '/')
        return false;
    std::error_code ec;
    // A symbolic link is followed, so the rename replaces the file it names.
    const fs::path full = fs::weakly_canonical(fs::absolute(name, ec), ec);
    if (ec)
        return false;
    struct stat old {};
    const bool exists = ::stat(full.c_str(), &old) == 0;
    // A device or a pipe cannot be replaced by a rename.
    if (exists && !S_ISREG(old.st_mode))
        return false;
    // mkstemp makes 0600; give the file what a plain create (or the old file) would have.
    mode_t mode = 0666;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    return CreateBeside(full.string(), mode);
}

bool TReplacingFile::CreateBeside(const std::string& resolvedPath, unsigned mode) {
    Discard();
    const fs::path full = resolvedPath;
    std::string pattern =
        (full.parent_path() / ("." + full.filename().string() + ".tmp-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    path = resolvedPath;
    tempPath = buffer.data();
    if (::fchmod(fd, mode) != 0) {
        const int error = errno;
        Discard();
        errno = error;
        return false;
    }
    return true;
}

bool TReplacingFile::Write(const void* data, size_t count) {
    if (fd < 0)
        return false;
    const auto* p = static_cast<const char*>(data);
    while (count > 0) {
        const ssize_t n = ::write(fd, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool TReplacingFile::Commit() {
    if (fd < 0)
        return false;
    const bool closed = ::close(fd) == 0;
    fd = -1;
    if (!closed || std::rename(tempPath.c_str(), path.c_str()) != 0) {
        const int error = errno; // kept for the caller's message
        Discard();
        errno = error;
        return false;
    }
    tempPath.clear();
    return true;
}

void TReplacingFile::Discard() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    if (!tempPath.empty()) {
        ::unlink(tempPath.c_str());
        tempPath.clear();
    }
}
