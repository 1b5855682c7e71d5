#include "tests/support/CliRun.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string HexBytes(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const unsigned char b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

namespace {

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

CliRun::CliRun(const std::vector<std::string>& args, const CliOptions& options)
    : timeoutMs(options.timeoutMs), startMs(NowMs()) {
    // Everything the child needs is made before the fork: it only opens and execs.
    const std::string exe = TestVBoard::BinDir() + "/kbr370";
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const std::string inPath = dir.File("in"), outPath = dir.File("out"), errPath = dir.File("err");
    std::ofstream(inPath, std::ios::binary) << options.input;
    int pipeEnds[2] = {-1, -1};
    if (options.output == CliOptions::Output::ReaderGone && pipe(pipeEnds) != 0)
        return;
    pid = fork();
    if (pid == 0) {
        if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0)
            _exit(126);
        const int in = open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, 0);
        dup2(options.output == CliOptions::Output::ReaderGone ? pipeEnds[1] : out, 1);
        dup2(err, 2);
        if (options.output == CliOptions::Output::Closed)
            close(1);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

CliRun::~CliRun() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

std::string CliRun::OutputSoFar() const {
    return ReadFile(dir.File("out"));
}

bool CliRun::WaitForOutput(const std::string& text, int waitMs) const {
    const long long deadline = NowMs() + waitMs;
    while (OutputSoFar() != text) {
        if (NowMs() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void CliRun::Signal(int signal) const {
    if (pid > 0)
        kill(pid, signal);
}

CliResult CliRun::Wait() {
    CliResult r;
    bool killed = false;
    int status = 0;
    // Short naps first: most runs end within a few milliseconds.
    for (int napMs = 1; pid > 0;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            r.exited = WIFEXITED(status);
            pid = -1;
        } else if (done < 0) {
            pid = -1;
        } else if (!killed && NowMs() - startMs > timeoutMs) {
            kill(pid, SIGKILL);
            killed = true;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(napMs));
            napMs = std::min(napMs * 2, 20);
        }
    }
    r.out = ReadFile(dir.File("out"));
    r.err = ReadFile(dir.File("err"));
    if (killed)
        r.err += "\n[killed after " + std::to_string(timeoutMs) + " ms]\n";
    return r;
}
