#pragma once
#include <string>

namespace platform {

// A system-wide named mutex: an exclusive flock on a lock file named after the
// mutex in $XDG_RUNTIME_DIR (else /tmp). The kernel drops it when the process ends.
class NamedMutex {
public:
    explicit NamedMutex(const std::string& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when this process owns the mutex; false when another one has it
    // or the lock file could not be made.
    bool Acquired() const { return fd_ >= 0; }
    void Release();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace platform
