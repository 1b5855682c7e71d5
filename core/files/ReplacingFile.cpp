#include "core/files/ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/files/OutputTarget.h"
#include "core/files/WholeIo.h"

namespace fs = std::filesystem;

TReplacingFile::~TReplacingFile() {
    Discard();
}

bool TReplacingFile::Create(const std::string& name) {
    Discard();
    TOutputTarget target;
    if (!ResolveOutputTarget(name, target, error))
        return false;
    if (target.stream) { // a FIFO or a device cannot be renamed over
        error = "cannot write " + name + ": not a regular file";
        return false;
    }
    if (!CreateBeside(target.path, target.mode)) {
        error = "cannot create " + target.path + ": " + std::strerror(errno);
        return false;
    }
    return true;
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
    return fd >= 0 && WriteAll(fd, data, count);
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
