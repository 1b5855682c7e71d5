#include "tests/support/TestVBoard.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"

#ifndef KBR_BIN_DIR
#error "KBR_BIN_DIR must name the directory of the built programs"
#endif

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "kbr370-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
}

std::string TestVBoard::BinDir() { return KBR_BIN_DIR; }
std::string TestVBoard::DesignFile() { return BinDir() + "/KBR_370_ControlPanel.sof"; }

TestVBoard::TestVBoard(bool configure, std::optional<uint32_t> configureMs)
    : configureMs(configureMs) {
    std::string tmpl = (fs::temp_directory_path() / "kbr370-vb-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    dir = tmpl;
    setenv("KBR370_VBOARD_DIR", dir.c_str(), 1);
    Start(configure);
}

TestVBoard::~TestVBoard() {
    Stop();
    // A daemon that a driver started by itself after Kill() would outlive us.
    std::string cmd = BinDir() + "/kbr370-vboard stop --dir " + dir + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) {
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

void TestVBoard::Start(bool configure) {
    std::string exe = BinDir() + "/kbr370-vboard";
    std::vector<std::string> args = {exe, "serve", "--dir", dir, "--foreground"};
    if (configureMs)
        args.insert(args.end(), {"--configure-ms", std::to_string(*configureMs)});
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid = fork();
    if (pid == 0) {
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    if (pid < 0)
        throw std::runtime_error("fork failed");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string reply;
    while (!platform::ControlRequest(platform::VBoardControlSocket(dir), "status", reply, 1000)) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("virtual board did not start in " + dir);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (configure)
        CtlOk("configure " + DesignFile());
}

void TestVBoard::End(int signal) {
    if (pid > 0) {
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
    }
}

void TestVBoard::Kill() { End(SIGKILL); }

void TestVBoard::Restart(bool configure) {
    Stop();
    Start(configure);
}

std::string TestVBoard::Ctl(const std::string& command) const {
    std::string reply;
    if (!platform::ControlRequest(platform::VBoardControlSocket(dir), command, reply, 10000))
        return "error no reply";
    return reply;
}

std::string TestVBoard::CtlOk(const std::string& command) const {
    std::string reply = Ctl(command);
    if (reply == "ok")
        return {};
    if (reply.rfind("ok ", 0) == 0)
        return reply.substr(3);
    throw std::runtime_error("ctl '" + command + "' failed: " + reply);
}

std::optional<OtherUser> SecondUser() {
    if (geteuid() != 0)
        return std::nullopt;
    const passwd* pw = getpwnam("nobody");
    if (!pw || pw->pw_uid == 0)
        return std::nullopt;
    return OtherUser{pw->pw_uid, pw->pw_gid};
}
