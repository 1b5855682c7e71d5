#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

// How a child started by Spawn is wired: standard input is always /dev/null,
// and nothing of ours but these descriptors reaches it.
struct SpawnOptions {
    int stdoutFd = -1;            // -1: /dev/null
    int stderrFd = -1;            // -1: ours
    bool newProcessGroup = false; // so one kill reaches the tools it starts too
};

// Starts argv[0] with `argv`, never through a shell. Signals start at their
// defaults and unblocked, whatever the host ignores or blocks (a GUI often
// ignores SIGPIPE), so SIGTERM still stops the child. -1 with `error` set on
// failure.
pid_t Spawn(const std::vector<std::string>& argv, const SpawnOptions& options, std::string& error);

// While it lives, the process group `group` (a child started with
// newProcessGroup) is killed when SIGINT, SIGTERM or SIGHUP arrives and this
// process would end or run its own handler for it: a group of its own does not
// get the terminal's Ctrl-C, and must not outlive us. What this process did
// with the signal before still happens afterwards; an ignored signal changes
// nothing. At most kMaxGroups live at once; more are not watched.
class GroupEndsWithUs {
public:
    explicit GroupEndsWithUs(pid_t group);
    ~GroupEndsWithUs();
    GroupEndsWithUs(const GroupEndsWithUs&) = delete;
    GroupEndsWithUs& operator=(const GroupEndsWithUs&) = delete;

    static constexpr int kMaxGroups = 8;

private:
    int slot = -1;
};

} // namespace platform
