#pragma once
#include <string>
#include <vector>

namespace drivers {

// One run of an outside program, as an argument list (never through a shell),
// with its standard output and error caught together.
class ProgramRun {
public:
    // Runs argv[0] (a path) with the rest as its arguments and waits for it,
    // at most `timeoutMs`; then it is killed with everything it started in
    // its process group. So is that group when a signal ends the caller
    // meanwhile.
    static ProgramRun Run(const std::vector<std::string>& argv, int timeoutMs);

    bool started = false;   // false: `error` says why it could not run
    bool timedOut = false;  // killed at the time limit
    int exitStatus = -1;    // when it ended on its own: its status; -1 for a signal
    std::string output;     // the last kOutputKept bytes of what it printed
    std::string error;

    bool Succeeded() const { return started && !timedOut && exitStatus == 0; }

    static constexpr size_t kOutputKept = 64 * 1024;
};

// The number of a "Version X.Y" line, as X.Y (20.1 for "Version 20.1.1 Build
// 720"); 0 when there is none. Read without the locale, which may want a comma.
double ParseQuartusVersion(const std::string& output);

// The line of a programmer's output that best says why it failed: the last
// numbered "Error (...)" line, else the last "Error" line, else the last line
// with any text; empty for empty output.
std::string LastErrorLine(const std::string& output);

} // namespace drivers
