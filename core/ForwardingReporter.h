#pragma once
#include "core/Reporter.h"

// A reporter put in front of another: it passes every call on, and a subclass
// listens to the calls it cares about (a test's recorder, a screenshot tool).
class TForwardingReporter : public TReporter {
  public:
    explicit TForwardingReporter(TReporter* next = nullptr) : next(next) {}

    void Info(const std::string& text, Tone tone) override {
        if (next)
            next->Info(text, tone);
    }
    void Status(const std::string& text, Tone tone) override {
        if (next)
            next->Status(text, tone);
    }
    void Box(platform::MessageKind kind, const std::string& text,
             const std::string& caption = {}) override {
        if (next)
            next->Box(kind, text, caption);
    }
    void Beep() override {
        if (next)
            next->Beep();
    }
    void Progress(int fromPercent, int toPercent, uint32_t expectedMs) override {
        if (next)
            next->Progress(fromPercent, toPercent, expectedMs);
    }
    void ProgressHold() override {
        if (next)
            next->ProgressHold();
    }
    void ProgressEnd() override {
        if (next)
            next->ProgressEnd();
    }

  private:
    TReporter* next;
};
