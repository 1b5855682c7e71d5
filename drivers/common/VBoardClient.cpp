#include "drivers/common/VBoardClient.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/Spawn.h"
#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"

namespace drivers {

namespace {

using Clock = std::chrono::steady_clock;

// A daemon that is already up answers within microseconds; this only bounds
// the wait on one that accepts but has hung.
constexpr int kProbeTimeoutMs = 500;
constexpr auto kRetryPause = std::chrono::milliseconds(5);

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

std::string JoinPath(const std::string& dir, const char* name) {
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// Starts `exe serve --dir dir` detached from our descriptors: the daemon must
// not hold the host's pipes (a test runner would wait for it) or its sockets.
// Standard error stays, so a daemon that cannot start can say why.
pid_t SpawnServe(const std::string& exe, const std::string& dir, std::string& error) {
    return platform::Spawn({exe, "serve", "--dir", dir}, {}, error);
}

// Collects the serve command once it has exited; true when it has. When the
// host ignores SIGCHLD there is nothing to collect and it counts as gone.
bool Reaped(pid_t pid, int& status) {
    for (;;) {
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return true;
        if (r == 0)
            return false;
        if (errno == EINTR)
            continue;
        status = 0;
        return true;
    }
}

} // namespace

VBoardClient::VBoardClient() : dir(platform::VBoardDirectory()) {}

VBoardClient::VBoardClient(std::string dir) : dir(std::move(dir)) {}

std::string VBoardClient::LinkSocket() const {
    return platform::VBoardLinkSocket(dir);
}

std::string VBoardClient::ControlSocket() const {
    return platform::VBoardControlSocket(dir);
}

bool VBoardClient::Request(const std::string& command, std::string& reply, int timeoutMs) const {
    std::string why;
    int fd = platform::ConnectVBoardSocket(dir, ControlSocket(), why);
    return fd >= 0 && platform::ExchangeLine(fd, command, reply, timeoutMs);
}

int VBoardClient::ConnectLink(std::string& why) const {
    return platform::ConnectVBoardSocket(dir, LinkSocket(), why);
}

std::optional<VBoardStatus> VBoardClient::Status(int timeoutMs) const {
    std::string reply;
    if (!Request("status", reply, timeoutMs))
        return std::nullopt;
    return VBoardStatus::Parse(reply);
}

bool VBoardClient::EnsureDaemon(const std::string& dllDir, std::string* error) const {
    std::string why;
    // A directory we may not trust gets no daemon of ours and no data either.
    if (platform::CheckVBoardDirectory(dir, why) == platform::VBoardDirState::Refused) {
        if (error)
            *error = why;
        return false;
    }
    if (Status(kProbeTimeoutMs))
        return true;
    // A daemon of ours would replace the sockets a forwarding serves.
    if (platform::VBoardSocketsForwarded(dir)) {
        if (error)
            *error = "no virtual board answers through the forwarded sockets in " + dir;
        return false;
    }
    why.clear();
    std::string exe = JoinPath(dllDir, kDaemonName);
    if (access(exe.c_str(), X_OK) != 0) {
        if (error)
            *error = "no virtual board program at " + exe;
        return false;
    }
    pid_t pid = SpawnServe(exe, dir, why);
    if (pid < 0) {
        if (error)
            *error = why;
        return false;
    }

    auto deadline = Clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    bool reaped = false;
    int status = 0;
    bool answered = false;
    for (;;) {
        if (!reaped && Reaped(pid, status)) {
            reaped = true;
            if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
                why = exe + " serve exited with status " + std::to_string(WEXITSTATUS(status));
                break;
            }
        }
        int left = MsLeft(deadline);
        if (left == 0)
            break;
        if (Status(std::min(left, 250))) {
            answered = true;
            break;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
    if (!reaped) {
        // It should have daemonised and exited once listening, so a short wait
        // collects it. One that never answered is hung: stop it. One that
        // answers but stays is left alone rather than risk killing the board.
        auto grace = Clock::now() + std::chrono::milliseconds(answered ? 500 : 0);
        while (!Reaped(pid, status)) {
            if (Clock::now() >= grace) {
                if (!answered) {
                    kill(pid, SIGKILL);
                    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
                    }
                }
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (!answered && error)
        *error = why.empty() ? "the virtual board in " + dir + " did not answer within " +
                                   std::to_string(kStartTimeoutMs) + " ms"
                             : why;
    return answered;
}

} // namespace drivers
