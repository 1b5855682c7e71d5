#include "app/TestLog.h"

#include <chrono>
#include <cstdio>
#include <fmt/format.h>
#include <utility>

TTestLog::TTestLog(std::string logPath) : path(std::move(logPath)) {}

int64_t TTestLog::MonotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TTestLog::Write(const std::string& kind, const std::string& text, uint32_t colour) {
    std::string escaped;
    for (char c : text) {
        if (c == '\n')
            escaped += "\\n";
        else if (c == '\t')
            escaped += ' ';
        else
            escaped += c;
    }
    const std::string line =
        fmt::format("{}\t{}\t{}\t0x{:06X}\n", MonotonicMs(), kind, escaped, colour);
    std::lock_guard<std::mutex> lock(mutex);
    // Opened per line so that a reader sees every line as soon as it is written.
    if (FILE* f = std::fopen(path.c_str(), "a")) {
        std::fputs(line.c_str(), f);
        std::fclose(f);
    }
}

void TTestLog::MessageBox(platform::MessageKind kind, const std::string& text, const std::string&) {
    switch (kind) {
    case platform::MessageKind::Information:
        Write("box-information", text);
        break;
    case platform::MessageKind::Warning:
        Write("box-warning", text);
        break;
    case platform::MessageKind::Error:
        Write("box-error", text);
        break;
    }
}
