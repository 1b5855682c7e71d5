#pragma once
#include <cstddef>
#include <string>

#include "logic/ReplacingFile.h"

// An output file that appears under its name only when complete: the bytes go
// to a temporary file in the same directory, which Commit renames into place.
// Without Commit the temporary file is removed, so a failed run leaves nothing.
class TOutputFile {
public:
    // Throws a usage error, with the reason, when the name is refused or the
    // temporary file cannot be created.
    explicit TOutputFile(const std::string& name);
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Throw a failure (exit 1) on any error.
    void Write(const void* data, size_t count);
    void Commit();

    const std::string& TempPath() const { return file.TempPath(); }
    // Removes the temporary file when a signal ends the program (exit 128+signal).
    void RemoveOnSignals() const;

private:
    TReplacingFile file;
};
