#include "cli/OutputFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include <fmt/format.h>

#include "cli/CliError.h"
#include "cli/EndingSignals.h"

namespace {

// The temporary output file, for the signal handler: an interrupted read
// must not leave it behind.
char pendingTempFile[4096];

extern "C" void RemoveTempFileAndExit(int signal) {
    if (pendingTempFile[0])
        unlink(pendingTempFile);
    _exit(128 + signal);
}

} // namespace

TOutputFile::TOutputFile(const std::string& name) {
    // The rules for where a file may be saved are the panel's as well.
    if (!file.Create(name))
        throw UsageError(file.Error());
}

void TOutputFile::Write(const void* data, size_t count) {
    errno = 0;
    if (!file.Write(data, count)) {
        // A write that took nothing without an error means the disk is full.
        const std::string reason = std::strerror(errno ? errno : ENOSPC);
        file.Discard();
        throw BoardFailure(fmt::format("writing {} failed: {}", file.Path(), reason));
    }
}

void TOutputFile::Commit() {
    if (!file.Commit())
        throw BoardFailure(fmt::format("cannot write {}: {}", file.Path(), std::strerror(errno)));
}

void TOutputFile::RemoveOnSignals() const {
    const std::string& path = TempPath();
    if (path.size() >= sizeof pendingTempFile)
        return;
    std::memcpy(pendingTempFile, path.c_str(), path.size() + 1);
    struct sigaction action {};
    action.sa_handler = RemoveTempFileAndExit;
    sigemptyset(&action.sa_mask);
    for (int signal : EndingSignals())
        sigaction(signal, &action, nullptr);
}
