#include "platform/Spawn.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <mutex>
#include <spawn.h>

extern char** environ;

namespace platform {

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Read by the signal handler, so plain lock-free slots; 0 is free.
std::atomic<pid_t> watchedGroups[GroupEndsWithUs::kMaxGroups];
// What each signal did before our handler came; written before it is installed.
struct sigaction before[std::size(kEndingSignals)];
std::mutex installing;
int watching = 0;

const struct sigaction* BeforeFor(int signal) {
    for (size_t i = 0; i < std::size(kEndingSignals); ++i)
        if (kEndingSignals[i] == signal)
            return &before[i];
    return nullptr;
}

bool Ignored(const struct sigaction& action) {
    return !(action.sa_flags & SA_SIGINFO) && action.sa_handler == SIG_IGN;
}

extern "C" void EndGroupsThenCarryOn(int signal, siginfo_t* info, void* context) {
    const struct sigaction* old = BeforeFor(signal);
    if (!old || Ignored(*old))
        return;
    for (auto& group : watchedGroups)
        if (const pid_t g = group.load(); g > 0)
            kill(-g, SIGKILL);
    if (old->sa_flags & SA_SIGINFO) {
        old->sa_sigaction(signal, info, context);
    } else if (old->sa_handler != SIG_DFL) {
        old->sa_handler(signal);
    } else {
        // Blocked while we run: the default action follows our return.
        sigaction(signal, old, nullptr);
        raise(signal);
    }
}

void InstallHandlers() {
    struct sigaction ours {};
    ours.sa_sigaction = EndGroupsThenCarryOn;
    ours.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&ours.sa_mask);
    for (size_t i = 0; i < std::size(kEndingSignals); ++i)
        sigaction(kEndingSignals[i], nullptr, &before[i]);
    for (int signal : kEndingSignals)
        sigaction(signal, &ours, nullptr);
}

// Puts back what was there, unless someone has replaced our handler meanwhile.
void RemoveHandlers() {
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
        struct sigaction now {};
        sigaction(kEndingSignals[i], nullptr, &now);
        if ((now.sa_flags & SA_SIGINFO) && now.sa_sigaction == EndGroupsThenCarryOn)
            sigaction(kEndingSignals[i], &before[i], nullptr);
    }
}

} // namespace

GroupEndsWithUs::GroupEndsWithUs(pid_t group) {
    if (group <= 0)
        return;
    std::lock_guard lock(installing);
    for (int i = 0; i < kMaxGroups && slot < 0; ++i)
        if (watchedGroups[i].load() == 0)
            slot = i;
    if (slot < 0)
        return;
    if (watching++ == 0)
        InstallHandlers();
    watchedGroups[slot].store(group);
}

GroupEndsWithUs::~GroupEndsWithUs() {
    if (slot < 0)
        return;
    std::lock_guard lock(installing);
    watchedGroups[slot].store(0);
    if (--watching == 0)
        RemoveHandlers();
}

pid_t Spawn(const std::vector<std::string>& argv, const SpawnOptions& options, std::string& error) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (options.stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, options.stdoutFd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (options.stderrFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, options.stderrFd, 2);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (options.newProcessGroup) {
        posix_spawnattr_setpgroup(&attr, 0);
        flags |= POSIX_SPAWN_SETPGROUP;
    }
    posix_spawnattr_setflags(&attr, flags);

    std::vector<std::string> args = argv;
    std::vector<char*> pointers;
    for (auto& a : args)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, args[0].c_str(), &actions, &attr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        error = "cannot run " + argv[0] + ": " + std::strerror(rc);
        return -1;
    }
    return pid;
}

} // namespace platform
