#include "drivers/quartus/ProgramRun.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Spawn.h"

namespace drivers {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollSliceMs = 50;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void Keep(std::string& output, const char* bytes, size_t count) {
    output.append(bytes, count);
    if (output.size() > ProgramRun::kOutputKept)
        output.erase(0, output.size() - ProgramRun::kOutputKept);
}

// True once the child has ended (its status in `status`); a host that ignores
// SIGCHLD leaves nothing to collect, which counts as ended with no status.
bool Ended(pid_t pid, int& status, bool& known) {
    for (;;) {
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            known = true;
            return true;
        }
        if (r == 0)
            return false;
        if (errno == EINTR)
            continue;
        known = false;
        return true;
    }
}

std::string Trimmed(const std::string& line) {
    size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos)
        return {};
    size_t end = line.find_last_not_of(" \t\r");
    return line.substr(start, end - start + 1);
}

} // namespace

ProgramRun ProgramRun::Run(const std::vector<std::string>& argv, int timeoutMs) {
    ProgramRun run;
    if (argv.empty() || argv[0].empty()) {
        run.error = "no program to run";
        return run;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        run.error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return run;
    }
    // The child gets our pipe as standard output and error and leads a
    // process group of its own, so a kill reaches the tools it starts too.
    pid_t pid = platform::Spawn(
        argv, {.stdoutFd = fds[1], .stderrFd = fds[1], .newProcessGroup = true}, run.error);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return run;
    }
    run.started = true;
    // Ctrl-C reaches only our own group: the child's must end with us.
    const platform::GroupEndsWithUs endsWithUs(pid);

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    bool known = false;
    bool ended = false;
    bool open = true;
    char buffer[4096];
    // Read until the child has ended and its output is drained. A tool it left
    // behind may hold the pipe open, so the end of the child, not the end of
    // the output, finishes the run.
    while (!ended || open) {
        int left = MsLeft(deadline);
        if (left == 0)
            break;
        pollfd pfd{fds[0], POLLIN, 0};
        int ready = open ? poll(&pfd, 1, std::min(left, kPollSliceMs)) : 0;
        if (ready > 0) {
            ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n > 0)
                Keep(run.output, buffer, static_cast<size_t>(n));
            else if (n == 0 || errno != EINTR)
                open = false;
            continue;
        }
        if (ready < 0 && errno != EINTR)
            open = false;
        if (!ended && Ended(pid, status, known))
            ended = true;
        else if (ended)
            break; // ended, and nothing more waits in the pipe
        else if (!open)
            usleep(kPollSliceMs * 1000);
    }
    close(fds[0]);

    if (!ended) {
        run.timedOut = true;
        kill(-pid, SIGKILL);
        kill(pid, SIGKILL);
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return run;
    }
    if (!known)
        run.error = "cannot learn how " + argv[0] + " ended";
    else if (WIFEXITED(status))
        run.exitStatus = WEXITSTATUS(status);
    else
        run.error = argv[0] + " was ended by signal " + std::to_string(WTERMSIG(status));
    return run;
}

double ParseQuartusVersion(const std::string& output) {
    size_t at = 0;
    while ((at = output.find("Version ", at)) != std::string::npos) {
        at += 8;
        size_t i = at;
        auto digits = [&](int& value) {
            size_t begin = i;
            value = 0;
            while (i < output.size() && output[i] >= '0' && output[i] <= '9' && i - begin < 6)
                value = value * 10 + (output[i++] - '0');
            return i > begin;
        };
        int major = 0, minor = 0;
        if (!digits(major))
            continue;
        double version = major;
        if (i < output.size() && output[i] == '.') {
            ++i;
            size_t begin = i;
            if (digits(minor)) {
                double scale = 1;
                for (size_t k = begin; k < i; ++k)
                    scale *= 10;
                version += minor / scale;
            }
        }
        if (version > 0)
            return version;
    }
    return 0;
}

std::string LastErrorLine(const std::string& output) {
    std::string numbered, error, any;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = Trimmed(output.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        any = line;
        if (line.rfind("Error (", 0) == 0)
            numbered = line;
        else if (line.rfind("Error", 0) == 0)
            error = line;
    }
    return !numbered.empty() ? numbered : !error.empty() ? error : any;
}

} // namespace drivers
