#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

#include "tests/support/TestVBoard.h"

// The built kbr370 as a child process: its standard input from a file, its
// output captured in files. It reaches the test's virtual board through the
// environment it inherits.
// Small file and text helpers of the tests that run it.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool Contains(const std::string& text, const std::string& part);
// Bytes as the virtual board's control protocol takes them: two hex digits each.
std::string HexBytes(const std::string& bytes);

struct CliResult {
    int code = -1; // the exit status, or 128 + the signal that ended it
    bool exited = false; // it ended itself, rather than being ended by a signal
    std::string out, err;
};

struct CliOptions {
    std::string input;      // all of its standard input
    std::string cwd;        // where it starts; empty: where the test runs
    int timeoutMs = 60000;  // Wait kills it after this long, counted from the start
    // Its standard output: a file the test reads, closed, or a pipe whose reader is gone.
    enum class Output { File, Closed, ReaderGone } output = Output::File;
};

class CliRun {
  public:
    explicit CliRun(const std::vector<std::string>& args, const CliOptions& options = {});
    ~CliRun();
    CliRun(const CliRun&) = delete;
    CliRun& operator=(const CliRun&) = delete;

    // What it has written to standard output so far.
    std::string OutputSoFar() const;
    // Whether its standard output is exactly `text` within `waitMs`.
    bool WaitForOutput(const std::string& text, int waitMs = 10000) const;
    void Signal(int signal) const;
    // Its end; past the timeout it is killed (128 + SIGKILL, said in `err`).
    CliResult Wait();

  private:
    TempDir dir;
    pid_t pid = -1;
    int timeoutMs;
    long long startMs;
};

inline CliResult Cli(const std::vector<std::string>& args, const CliOptions& options = {}) {
    return CliRun(args, options).Wait();
}
