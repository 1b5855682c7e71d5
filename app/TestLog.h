#pragma once
#include <cstdint>
#include <mutex>
#include <string>

#include "pages/Dialogs.h"

// The panel's test mode: every message box, info text and status text becomes
// one line of a log file, and boxes are answered at once (file dialogs cancel).
// Line: <monotonic ms> TAB <kind> TAB <text, line breaks as \n> TAB <colour>.
class TTestLog : public TDialogs {
  public:
    explicit TTestLog(std::string path);

    void Write(const std::string& kind, const std::string& text, uint32_t colour = 0);

    void MessageBox(platform::MessageKind kind, const std::string& text,
                    const std::string& caption) override;
    bool OpenFileName(const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool SaveFileName(const std::string&, const std::string&, const std::string&,
                      std::string&) override {
        return false;
    }

    // Milliseconds of the system-wide monotonic clock, comparable across processes.
    static int64_t MonotonicMs();

  private:
    std::string path;
    std::mutex mutex;
};
