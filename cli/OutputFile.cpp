#include "cli/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <unistd.h>

#include <fmt/format.h>

#include "cli/CliError.h"

namespace {

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

TOutputFile::TOutputFile(const std::string& name) {
    if (name.empty() || name.back() == '/')
        throw UsageError("no output file name given");
    // Opening the link changes the current directory, so keep full paths. A
    // symbolic link is followed, so the rename replaces the file it names.
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path full = fs::weakly_canonical(fs::absolute(name, ec), ec);
    if (ec)
        throw UsageError(fmt::format("cannot create {}: {}", name, ec.message()));
    // A device or pipe cannot be replaced by a rename.
    if (fs::exists(full, ec) && !fs::is_regular_file(full, ec))
        throw UsageError(fmt::format("cannot write {}: not a regular file", name));
    path = full.string();
    std::random_device random;
    const std::string stem = DirectoryOf(path) + "/." + NameOf(path) + ".tmp-";
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tempPath = stem + fmt::format("{:08x}", random());
        // Mode 0666 under the umask: the file gets the permissions a plain create would give.
        fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        throw UsageError(fmt::format("cannot create {}: {}", path, std::strerror(errno)));
}

TOutputFile::~TOutputFile() { Discard(); }

void TOutputFile::Write(const void* data, size_t count) {
    const auto* p = static_cast<const char*>(data);
    while (count > 0) {
        const ssize_t n = ::write(fd, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const std::string reason = std::strerror(n < 0 ? errno : ENOSPC);
            Discard();
            throw BoardFailure(fmt::format("writing {} failed: {}", path, reason));
        }
        p += n;
        count -= static_cast<size_t>(n);
    }
}

void TOutputFile::Commit() {
    if (fd < 0)
        throw BoardFailure(fmt::format("writing {} failed", path));
    const bool closed = close(fd) == 0;
    fd = -1;
    if (!closed || std::rename(tempPath.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        Discard();
        throw BoardFailure(fmt::format("cannot write {}: {}", path, reason));
    }
    tempPath.clear();
}

void TOutputFile::Discard() {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
    if (!tempPath.empty()) {
        unlink(tempPath.c_str());
        tempPath.clear();
    }
}
