#pragma once
#include <string>

namespace platform {

// A per-user named mutex: an exclusive flock on a lock file named after the
// mutex in the user's private place, $XDG_RUNTIME_DIR, else a 0700 folder of
// the user's in /tmp, else (when that name is taken by another user or is no
// private folder of ours) a 0700 folder in the user's cache folder
// ($XDG_CACHE_HOME or ~/.cache). The kernel drops it when the process ends.
class NamedMutex {
public:
    enum class State {
        Acquired, // this process owns the mutex
        Held,     // another process of this user owns it
        Failed,   // it could not be taken; Error() says why
    };

    explicit NamedMutex(const std::string& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    State GetState() const { return state_; }
    bool Acquired() const { return fd_ >= 0; }
    // One line on what went wrong, for Failed.
    const std::string& Error() const { return error_; }
    void Release();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string error_;
    State state_ = State::Failed;
    int fd_ = -1;
};

} // namespace platform
