#include "cli/OutputFile.h"

#include <cerrno>
#include <cstring>

#include <fmt/format.h>

#include "cli/CliError.h"

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
