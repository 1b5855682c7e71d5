#include "app/TestLog.h"

#include <chrono>
#include <fmt/format.h>
#include <unistd.h>
#include <utility>

#include "core/files/OutputTarget.h"
#include "core/files/WholeIo.h"

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
    // Opened per line so that a reader sees every line as soon as it is
    // written; by the rules every appended log follows.
    std::string reason;
    const int fd = OpenLogFile(path, reason);
    if (fd < 0)
        return;
    WriteAll(fd, line.data(), line.size());
    ::close(fd);
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
