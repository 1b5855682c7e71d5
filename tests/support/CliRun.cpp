#include "tests/support/CliRun.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace {
std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
} // namespace

CliRun::CliRun(const std::vector<std::string>& args) {
    const std::string exe = TestVBoard::BinDir() + "/kbr370";
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const std::string outPath = outDir.File("out"), errPath = outDir.File("err");
    pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(err, 2);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
}

CliRun::~CliRun() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        Wait();
    }
}

std::string CliRun::OutputSoFar() const {
    return ReadFile(outDir.File("out"));
}

void CliRun::Signal(int signal) const {
    if (pid > 0)
        kill(pid, signal);
}

CliResult CliRun::Wait() {
    CliResult r;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    pid = -1;
    r.out = ReadFile(outDir.File("out"));
    r.err = ReadFile(outDir.File("err"));
    return r;
}
