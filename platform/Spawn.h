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

} // namespace platform
