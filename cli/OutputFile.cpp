#include "cli/OutputFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

#include "cli/CliError.h"
#include "cli/EndingSignals.h"
#include "core/files/WholeIo.h"

namespace {

// The temporary output files (the self test writes three), for the signal
// handler: an interrupted run must not leave them behind.
char pendingTempFiles[4][4096];

extern "C" void RemoveTempFileAndExit(int signal) {
    for (const char* path : pendingTempFiles)
        if (path[0])
            unlink(path);
    _exit(128 + signal);
}

} // namespace

TOutputFile::TOutputFile(const std::string& name) : name(name) {
    streamFd = DescriptorNamed(name);
    if (streamFd >= 0) {
        struct stat st {};
        if (fstat(streamFd, &st) != 0)
            throw UsageError(
                fmt::format("cannot write {}: descriptor {} is not open", name, streamFd));
        target.exists = true;
        target.device = st.st_dev;
        target.inode = st.st_ino;
        return;
    }
    std::string reason;
    if (!ResolveOutputTarget(name, target, reason))
        throw UsageError(reason);
    if (target.stream) {
        // Waits, as any writer does, for the reader of a FIFO.
        streamFd = OpenOutputStream(name, target, reason);
        if (streamFd < 0)
            throw UsageError(reason);
        ownStream = true;
        return;
    }
    if (!file.CreateBeside(target.path, target.mode))
        throw UsageError(fmt::format("cannot create {}: {}", name, std::strerror(errno)));
}

TOutputFile::~TOutputFile() {
    if (ownStream)
        close(streamFd);
}

void TOutputFile::Write(const void* data, size_t count) {
    errno = 0;
    if (streamFd >= 0) {
        if (!WriteAll(streamFd, data, count))
            throw BoardFailure(
                fmt::format("writing {} failed: {}", name, std::strerror(errno ? errno : ENOSPC)));
        return;
    }
    if (!file.Write(data, count)) {
        // A write that took nothing without an error means the disk is full.
        const std::string reason = std::strerror(errno ? errno : ENOSPC);
        file.Discard();
        throw BoardFailure(fmt::format("writing {} failed: {}", file.Path(), reason));
    }
}

void TOutputFile::Commit() {
    if (streamFd >= 0)
        return;
    if (!file.Commit())
        throw BoardFailure(fmt::format("cannot write {}: {}", file.Path(), std::strerror(errno)));
}

void TOutputFile::RemoveOnSignals() const {
    const std::string& path = TempPath();
    if (path.empty() || path.size() >= sizeof pendingTempFiles[0])
        return;
    char* slot = nullptr;
    for (char* free : pendingTempFiles)
        if (!slot && !free[0])
            slot = free;
    if (!slot)
        return;
    std::memcpy(slot, path.c_str(), path.size() + 1);
    struct sigaction action {};
    action.sa_handler = RemoveTempFileAndExit;
    sigemptyset(&action.sa_mask);
    // What the caller chose to ignore (nohup, a size limit's signal) stays ignored.
    for (int signal : EndingSignals()) {
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}
