// kbr370-vboard: the virtual KBR-370 board.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <string_view>
#include <thread>
#include <unistd.h>

#include "platform/StandardDescriptors.h"
#include "platform/System.h"
#include "platform/TerminalText.h"
#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"
#include "platform/Version.h"
#include "vboard/Daemon.h"
#include "vboard/RunningBoards.h"

namespace {

vboard::TDaemon* gDaemon = nullptr;

void OnSignal(int) {
    if (gDaemon)
        gDaemon->RequestStop();
}

void InstallSignals() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    // Whoever started us may have blocked them; `stop` relies on SIGTERM.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_UNBLOCK, &stopSignals, nullptr);
}

// Tells the parent of a daemonised server how starting went.
void Report(int fd, char what) {
    if (fd < 0)
        return;
    if (write(fd, &what, 1) < 0) {
    }
    close(fd);
}

constexpr char kReady = 'R', kAlready = 'A', kFailed = 'F';
// As kbr370: 1 for a failure, 2 for a command line we do not understand.
constexpr int kExitFailure = 1, kExitUsage = 2;
constexpr uint32_t kMaxConfigureMs = 10000;

// Tests that configure many boards may shorten the ~1.5 s download: by the
// environment (inherited by a daemon a driver starts), or by --configure-ms,
// which wins.
void ApplyTiming(vboard::TDaemon& daemon, std::optional<uint32_t> configureMs) {
    const char* ms = std::getenv("KBR370_VBOARD_CONFIGURE_MS");
    if (ms && *ms) {
        char* end = nullptr;
        unsigned long v = std::strtoul(ms, &end, 10);
        if (*end == '\0' && v <= kMaxConfigureMs)
            daemon.SetConfigureMs(uint32_t(v));
    }
    if (configureMs)
        daemon.SetConfigureMs(*configureMs);
}

int ServeHere(const std::string& dir, int readyFd, std::optional<uint32_t> configureMs) {
    vboard::TDaemon daemon(dir);
    std::string error;
    switch (daemon.Open(error)) {
    case vboard::TDaemon::OpenResult::AlreadyRunning:
        Report(readyFd, kAlready);
        std::cerr << "kbr370-vboard: " << error << "\n";
        return 0;
    case vboard::TDaemon::OpenResult::Failed:
        Report(readyFd, kFailed);
        std::cerr << "kbr370-vboard: " << error << "\n";
        return 1;
    case vboard::TDaemon::OpenResult::Ok:
        break;
    }
    ApplyTiming(daemon, configureMs);
    gDaemon = &daemon;
    InstallSignals();
    Report(readyFd, kReady);
    daemon.Run();
    gDaemon = nullptr;
    return 0;
}

int Serve(const std::string& dir, bool foreground, std::optional<uint32_t> configureMs) {
    if (foreground)
        return ServeHere(dir, -1, configureMs);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        std::perror("kbr370-vboard: pipe");
        return 1;
    }
    pid_t pid = fork();
    if (pid < 0) {
        std::perror("kbr370-vboard: fork");
        return 1;
    }
    if (pid == 0) {
        close(pipeFds[0]);
        // Whoever started us may have left descriptors open; the daemon keeps none of them.
        int keep = pipeFds[1];
        if (keep > 3)
            close_range(3, unsigned(keep) - 1, 0);
        close_range(unsigned(keep) + 1, ~0u, 0);
        setsid();
        // A second fork, so the daemon is no session leader and never gets a terminal.
        pid_t inner = fork();
        if (inner != 0)
            _exit(inner < 0 ? 1 : 0);
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            // Keep stderr until the start is reported, so "already serving" can be said.
            if (null > 2)
                close(null);
        }
        if (chdir("/") != 0) {
        }
        auto daemon = std::make_unique<vboard::TDaemon>(dir);
        std::string error;
        switch (daemon->Open(error)) {
        case vboard::TDaemon::OpenResult::AlreadyRunning:
            Report(pipeFds[1], kAlready);
            _exit(0);
        case vboard::TDaemon::OpenResult::Failed: {
            daemon.reset(); // removes what it made
            std::string msg = "kbr370-vboard: " + error + "\n";
            if (write(2, msg.data(), msg.size()) < 0) {
            }
            Report(pipeFds[1], kFailed);
            _exit(1);
        }
        case vboard::TDaemon::OpenResult::Ok:
            break;
        }
        int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, 2);
            close(devNull);
        }
        ApplyTiming(*daemon, configureMs);
        gDaemon = daemon.get();
        InstallSignals();
        Report(pipeFds[1], kReady);
        daemon->Run();
        gDaemon = nullptr;
        return 0;
    }
    close(pipeFds[1]);
    char what = 0;
    ssize_t n;
    do {
        n = read(pipeFds[0], &what, 1);
    } while (n < 0 && errno == EINTR);
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (n == 1 && what == kReady)
        return 0;
    if (n == 1 && what == kAlready) {
        std::cerr << "kbr370-vboard: a virtual board already serves " << dir << "\n";
        return 0;
    }
    if (n != 1)
        std::cerr << "kbr370-vboard: the daemon did not start\n";
    return 1;
}

// One invocation is one command: a line break in an argument would end our
// line early and start another command of the caller's making.
bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// Where no board runs, how to start one there.
std::string NoBoardText(const std::string& dir) {
    const bool usual = dir == platform::AbsolutePath(platform::VBoardDirectory());
    return "no virtual board answers in " + dir + ": start one with `kbr370-vboard serve" +
           (usual ? "" : " --dir " + dir) + "`";
}

// Whether `dir` may be used; says why not on standard error.
bool UsableDirectory(const std::string& dir) {
    std::string why;
    switch (platform::CheckVBoardDirectory(dir, why)) {
    case platform::VBoardDirState::Usable:
        return true;
    case platform::VBoardDirState::Missing:
        std::cerr << "kbr370-vboard: " << NoBoardText(dir) << "\n";
        return false;
    case platform::VBoardDirState::Refused:
        break;
    }
    std::cerr << "kbr370-vboard: " << why << "\n";
    return false;
}

int Ctl(const std::string& dir, const std::vector<std::string>& words) {
    if (words.empty()) {
        std::cerr << "kbr370-vboard ctl: no command given (`ctl help` lists them)\n";
        return kExitUsage;
    }
    if (std::any_of(words.begin(), words.end(), HasControlCharacter)) {
        std::cerr << "kbr370-vboard ctl: refusing an argument with control characters\n";
        return 1;
    }
    std::string line;
    for (const auto& w : words)
        line += (line.empty() ? "" : " ") + w;
    // The daemon runs in "/", so a relative design path is made absolute here.
    if (words[0] == "configure" && line.size() > 10 && line[10] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd))
            line = "configure " + std::string(cwd) + "/" + line.substr(10);
    }
    if (!UsableDirectory(dir))
        return 1;
    std::string why;
    int fd = platform::ConnectVBoardSocket(dir, platform::VBoardControlSocket(dir), why);
    std::string reply;
    if (fd < 0 || !platform::ExchangeLine(fd, line, reply, 15000)) {
        // A missing socket, or one no one listens on, is a board not running.
        const bool noBoard = fd >= 0 || why.rfind("no virtual board answers", 0) == 0;
        std::cerr << "kbr370-vboard: " << (noBoard ? NoBoardText(dir) : why) << "\n";
        return 1;
    }
    std::cout << reply << "\n";
    return reply == "ok" || reply.rfind("ok ", 0) == 0 ? 0 : 1;
}

// Whether someone holds the daemon's lock; the kernel drops it when the daemon dies.
bool LockHeld(const std::string& dir) {
    int fd = open(vboard::TDaemon::LockPath(dir).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return held;
}

// The pid file of a directory we trust, read without following a link.
pid_t ReadPid(const std::string& dir) {
    int fd = open(vboard::TDaemon::PidPath(dir).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[32] = {};
    ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0)
        return 0;
    char* end = nullptr;
    long pid = std::strtol(text, &end, 10);
    return (*end == '\n' || *end == '\0') && pid > 0 && pid < INT32_MAX ? pid_t(pid) : 0;
}

// Whether `pid` still runs. One that has ended but whose parent has not yet
// collected it (a zombie) has done all it will: waiting for it to vanish would
// wait on its parent, which may be the very program that asked for the stop.
bool Running(pid_t pid) {
    if (kill(pid, 0) != 0)
        return false;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE* stat = std::fopen(path, "re");
    if (!stat)
        return true;
    char text[512] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, stat);
    std::fclose(stat);
    // "pid (name) state ...": the name may hold anything, the state follows its last ')'.
    const std::string_view line(text, n);
    const size_t paren = line.rfind(')');
    return paren == std::string_view::npos || paren + 2 >= line.size() || line[paren + 2] != 'Z';
}

int Stop(const std::string& dir) {
    std::string why;
    switch (platform::CheckVBoardDirectory(dir, why)) {
    case platform::VBoardDirState::Missing:
        return 0;
    case platform::VBoardDirState::Refused:
        // A pid file in someone else's directory names whatever they like.
        std::cerr << "kbr370-vboard: " << why << "\n";
        return 1;
    case platform::VBoardDirState::Usable:
        break;
    }
    if (!LockHeld(dir))
        return 0;
    pid_t pid = ReadPid(dir);
    if (pid <= 0) {
        std::cerr << "kbr370-vboard: no pid file in " << dir << "\n";
        return 1;
    }
    kill(pid, SIGTERM);
    using namespace std::chrono;
    auto deadline = steady_clock::now() + seconds(5);
    while (LockHeld(dir)) {
        if (steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            deadline = steady_clock::now() + seconds(5);
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
    // The lock goes a moment before the process has removed its directory.
    for (deadline = steady_clock::now() + seconds(5);
         Running(pid) && steady_clock::now() < deadline;)
        std::this_thread::sleep_for(milliseconds(5));
    return 0;
}

// One reply of a daemon found by `list`; empty when it does not answer.
std::string Ask(const std::string& dir, const std::string& command) {
    std::string why, reply;
    int fd = platform::ConnectVBoardSocket(dir, platform::VBoardControlSocket(dir), why);
    return fd >= 0 && platform::ExchangeLine(fd, command, reply, 2000) ? reply : "";
}

// "free", or who holds the link: "1234 (kbr370)" where the process can be told.
std::string LinkHolderText(const std::string& dir) {
    std::string reply = Ask(dir, "get link");
    if (reply == "ok closed")
        return "free";
    const std::string open = "ok open ";
    int pid = reply.rfind(open, 0) == 0 ? std::atoi(reply.c_str() + open.size()) : 0;
    if (pid <= 0)
        return "held";
    std::string name = platform::TerminalSafe(vboard::ProgramName(pid));
    return std::to_string(pid) + (name.empty() ? "" : " (" + name + ")");
}

int List() {
    const auto boards = vboard::FindRunningBoards();
    if (boards.empty()) {
        std::cerr << "kbr370-vboard: no virtual board runs for this user\n";
        return 0;
    }
    std::printf("%-8s %-10s %-22s %s\n", "PID", "CONFIGURED", "LINK HELD BY", "DIRECTORY");
    for (const auto& board : boards) {
        // A daemon that did not say which folder it serves is shown without one.
        if (board.dir.empty()) {
            std::printf("%-8d %-10s %-22s %s\n", board.pid, "?", "(no answer)", "?");
            continue;
        }
        auto status = Ask(board.dir, "status");
        const char* configured = status.find("configured=1") != std::string::npos   ? "yes"
                                 : status.find("configured=0") != std::string::npos ? "no"
                                                                                    : "?";
        std::string link = status.empty() ? "(no answer)" : LinkHolderText(board.dir);
        std::printf("%-8d %-10s %-22s %s\n", board.pid, configured, link.c_str(),
                    platform::TerminalSafe(board.dir).c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    platform::OpenStandardDescriptors();
    platform::MakePathVariablesAbsolute();
    CLI::App app{"kbr370-vboard: the virtual KBR-370 board", "kbr370-vboard"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("kbr370-vboard ") + kKbrVersion);
    std::string dir = platform::VBoardDirectory();

    auto* serve = app.add_subcommand("serve", "start the virtual board");
    bool foreground = false;
    serve->add_option("--dir", dir, "private directory of the sockets");
    serve->add_flag("--foreground", foreground, "stay in the foreground");
    std::optional<uint32_t> configureMs;
    serve
        ->add_option("--configure-ms", configureMs,
                     "how long a configure takes, in ms (default " +
                         std::to_string(vboard::TControlProtocol::kConfigureMs) +
                         "; quick tests shorten it)")
        ->check(CLI::Range(0u, kMaxConfigureMs));

    auto* ctl = app.add_subcommand("ctl", "send one control command and print the reply");
    ctl->add_option("--dir", dir, "private directory of the sockets");
    ctl->prefix_command();

    auto* stop = app.add_subcommand("stop", "end the virtual board");
    stop->add_option("--dir", dir, "private directory of the sockets");

    auto* list = app.add_subcommand(
        "list", "list this user's virtual boards: pid, configured, link holder, directory");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : kExitUsage;
    }
    // The daemon works in "/": a relative --dir would lead there.
    dir = platform::AbsolutePath(dir);

    if (*serve)
        return Serve(dir, foreground, configureMs);
    if (*ctl)
        return Ctl(dir, ctl->remaining());
    if (*stop)
        return Stop(dir);
    if (*list)
        return List();
    return kExitFailure;
}
