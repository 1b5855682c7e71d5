#include "cli/JsonOutput.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/mman.h>
#include <unistd.h>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

namespace {

bool jsonOutput = false;
std::vector<std::string> keptTexts;
std::vector<const CLI::Option*> jsonFlags;
int savedStderr = -1;
int capture = -1;

// Ends the capture: standard error is the real one again; what was
// written meanwhile, without its last line feed.
std::string EndCapture() {
    if (capture < 0)
        return {};
    std::fflush(stderr);
    std::cerr.flush();
    dup2(savedStderr, STDERR_FILENO);
    close(savedStderr);
    std::string text;
    char buffer[4096];
    off_t at = 0;
    for (ssize_t n; (n = pread(capture, buffer, sizeof buffer, at)) > 0; at += n)
        text.append(buffer, static_cast<size_t>(n));
    close(capture);
    capture = -1;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// What the board's libraries say on a run that went well is still said, as JSON.
void TellCapturedAtExit() {
    if (const std::string text = EndCapture(); !text.empty())
        PrintJson(std::cerr, {{"warning", text}});
}

// The board's libraries write their complaints straight to standard error:
// under --json those lines are caught and folded into the one object there.
void CaptureStderr() {
    if (capture >= 0)
        return;
    const int fd = memfd_create("kbr370-stderr", MFD_CLOEXEC);
    const int saved = fd < 0 ? -1 : fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (saved < 0) {
        // Then their lines go out as they come.
        if (fd >= 0)
            close(fd);
        return;
    }
    std::fflush(stderr);
    std::cerr.flush();
    dup2(fd, STDERR_FILENO);
    capture = fd;
    savedStderr = saved;
    std::atexit(TellCapturedAtExit);
}

} // namespace

void AddJsonFlag(CLI::App& command, const char* what) {
    jsonFlags.push_back(command.add_flag_callback(
        "--json",
        [] {
            jsonOutput = true;
            CaptureStderr();
        },
        what));
}

bool JsonOutput() {
    return jsonOutput;
}

bool JsonAsked(const CLI::App& app) {
    // Only the flags made here: the self test's --json names a report file,
    // and its own output stays text.
    for (const CLI::Option* flag : jsonFlags)
        if (flag->count() > 0)
            return true;
    const std::vector<std::string> left = app.remaining(true);
    return std::find(left.begin(), left.end(), "--json") != left.end();
}

nlohmann::json StampedLine(nlohmann::json line, std::optional<int64_t> sinceFirstMs) {
    using namespace std::chrono;
    static std::optional<steady_clock::time_point> first;
    if (!first)
        first = steady_clock::now();
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    line["utc"] = fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}.{:03}Z", utc.tm_year + 1900,
                              utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                              duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    line["time_ms"] = sinceFirstMs ? *sinceFirstMs
                                   : duration_cast<milliseconds>(steady_clock::now() - *first).count();
    return line;
}

void PrintJson(std::ostream& out, const nlohmann::json& value) {
    // Board texts may hold any byte: replace what is not UTF-8 rather than throw.
    const std::string line =
        value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
    // A stream's own notes reach the user as they happen, past the capture.
    if (&out == &std::cerr && capture >= 0) {
        std::cerr.flush();
        for (size_t done = 0; done < line.size();) {
            const ssize_t n = write(savedStderr, line.data() + done, line.size() - done);
            if (n <= 0 && errno != EINTR)
                return;
            done += n > 0 ? static_cast<size_t>(n) : 0;
        }
        return;
    }
    out << line << std::flush;
}

const char* ExitMeaning(ExitCode code) {
    switch (code) {
    case kExitOk: return "ok";
    case kExitUsage: return "usage";
    case kExitCheckFailed: return "check-failed";
    case kExitFailure: return "board-failure";
    }
    return code > 128 ? "signal" : "failure";
}

void KeepForJsonError(const std::string& text) {
    keptTexts.push_back(text);
}

nlohmann::json JsonError(ExitCode code, const std::string& reason) {
    std::string error = EndCapture();
    for (const std::string& text : keptTexts)
        error += (error.empty() ? "" : "\n") + text;
    if (!reason.empty())
        error += (error.empty() ? "" : "\n") + reason;
    // A stop signal ends a watch without a reason of its own; say which one.
    if (error.empty() && code > 128) {
        const char* name = sigabbrev_np(code - 128);
        error = name ? std::string("ended by SIG") + name
                     : "ended by signal " + std::to_string(code - 128);
    }
    return {{"error", error}, {"exit", static_cast<int>(code)}, {"meaning", ExitMeaning(code)}};
}
