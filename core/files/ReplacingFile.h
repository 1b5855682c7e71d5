#pragma once
#include <cstddef>
#include <string>

// A file that replaces the one of its name only when it is complete: bytes go
// to a temporary file beside it, and Commit renames that into place. Until
// then an existing file of the name stays as it was; without Commit the
// temporary file is removed, so a failed or abandoned save leaves nothing.
class TReplacingFile {
  public:
    // The temporary file for `name`, where the output rules allow it
    // (core/files/OutputTarget.h); false with the reason in Error() otherwise.
    bool Create(const std::string& name);
    // The temporary file beside `resolvedPath` (absolute, links already
    // resolved by the caller), with permission bits `mode`; on failure errno says why.
    bool CreateBeside(const std::string& resolvedPath, unsigned mode);
    // False on a short write (a full disk, a size limit); the caller then discards.
    bool Write(const void* data, size_t count);
    // Closes and renames into place; false (and nothing left behind) on failure.
    bool Commit();
    void Discard();

    const std::string& TempPath() const { return tempPath; }
    // The file that Commit replaces, as resolved by Create.
    const std::string& Path() const { return path; }
    // Why Create failed.
    const std::string& Error() const { return error; }

    TReplacingFile() = default;
    // Discards what was not committed.
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

  private:
    std::string path;
    std::string tempPath;
    std::string error;
    int fd = -1;
};
