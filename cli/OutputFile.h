#pragma once
#include <cstddef>
#include <string>

#include "core/files/OutputTarget.h"
#include "core/files/ReplacingFile.h"

// Where kbr370 writes a file (`mem read`, the self test's reports, a VCD
// trace), by the rules of core/files/OutputTarget.h. A regular file appears under
// its name only when complete: the bytes go to a temporary file in the same
// directory, which Commit renames into place; without Commit the temporary
// file is removed, so a failed run leaves nothing. A stream is written as the
// bytes come: "-" and /dev/stdout are standard output, /dev/fd/N (and
// /proc/self/fd/N) the descriptor N, and a FIFO or a device such as /dev/null
// is written in place, never renamed over.
class TOutputFile {
  public:
    // Throws a usage error, with the reason, when the name is refused or the
    // file cannot be created or opened.
    explicit TOutputFile(const std::string& name);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Throw a failure (exit 1) on any error.
    void Write(const void* data, size_t count);
    void Write(const std::string& text) { Write(text.data(), text.size()); }
    void Commit();

    // Whether both write the same file, under two names or one.
    bool SameFileAs(const TOutputFile& other) const { return SameOutput(target, other.target); }

    // The name as given.
    const std::string& Name() const { return name; }
    // Whether the bytes go to standard output, which then carries nothing else.
    bool IsStandardOutput() const { return streamFd == 1; }
    // Empty for a stream.
    const std::string& TempPath() const { return file.TempPath(); }
    // Removes the temporary file when a signal ends the program (exit 128+signal).
    void RemoveOnSignals() const;

  private:
    std::string name;
    TOutputTarget target;
    TReplacingFile file;
    int streamFd = -1; // a stream's descriptor; -1 for a regular file
    bool ownStream = false;
};
