#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

#include "tests/support/TestVBoard.h"

// The built kbr370 as a child process, its output captured in files.
struct CliResult {
    int code = -1; // the exit status, or 128 + the signal that ended it
    std::string out, err;
};

class CliRun {
  public:
    // Starts kbr370 with `args`.
    explicit CliRun(const std::vector<std::string>& args);
    ~CliRun();
    CliRun(const CliRun&) = delete;
    CliRun& operator=(const CliRun&) = delete;

    // What it has written to standard output so far.
    std::string OutputSoFar() const;
    void Signal(int signal) const;
    CliResult Wait();

  private:
    TempDir outDir;
    pid_t pid = -1;
};

inline CliResult Cli(const std::vector<std::string>& args) {
    return CliRun(args).Wait();
}
