#pragma once
#include "core/Host.h"

// A host put in front of another: it passes every call on, and a subclass
// listens to the calls it cares about (a test's recorder, a screenshot tool).
class TForwardingHost : public THost {
  public:
    explicit TForwardingHost(THost* next = nullptr) : next(next) {}

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
    void TaskProgress(uint64_t done, uint64_t total) override {
        if (next)
            next->TaskProgress(done, total);
    }
    void TaskStarted(const std::string& what) override {
        if (next)
            next->TaskStarted(what);
    }
    bool StopRequested() override { return next && next->StopRequested(); }
    bool Ask(const std::string& question) override { return next && next->Ask(question); }
    void Tell(const std::string& instruction) override {
        if (next)
            next->Tell(instruction);
    }
    void LinkLost(const std::string& reason) override {
        if (next)
            next->LinkLost(reason);
    }
    void Connected(const std::string& link) override {
        if (next)
            next->Connected(link);
    }

  private:
    THost* next;
};
