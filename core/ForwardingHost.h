#pragma once
#include "core/Host.h"

// A host put in front of another: it passes every call on, and a subclass
// listens to the calls it cares about (a test's recorder, a screenshot tool).
class TForwardingHost : public THost {
  public:
    explicit TForwardingHost(THost* next = nullptr) : next(next) {}

    void Info(const std::string& text, Tone tone) override {
        if (THost* to = Next())
            to->Info(text, tone);
    }
    void Status(const std::string& text, Tone tone) override {
        if (THost* to = Next())
            to->Status(text, tone);
    }
    void Box(platform::MessageKind kind, const std::string& text,
             const std::string& caption = {}) override {
        if (THost* to = Next())
            to->Box(kind, text, caption);
    }
    void Beep() override {
        if (THost* to = Next())
            to->Beep();
    }
    void Progress(int fromPercent, int toPercent, uint32_t expectedMs) override {
        if (THost* to = Next())
            to->Progress(fromPercent, toPercent, expectedMs);
    }
    void ProgressHold() override {
        if (THost* to = Next())
            to->ProgressHold();
    }
    void ProgressEnd() override {
        if (THost* to = Next())
            to->ProgressEnd();
    }
    void TaskProgress(uint64_t done, uint64_t total) override {
        if (THost* to = Next())
            to->TaskProgress(done, total);
    }
    void TaskStarted(const std::string& what) override {
        if (THost* to = Next())
            to->TaskStarted(what);
    }
    bool StopRequested() override {
        THost* to = Next();
        return to && to->StopRequested();
    }
    bool Ask(const std::string& question) override {
        THost* to = Next();
        return to && to->Ask(question);
    }
    void Tell(const std::string& instruction) override {
        if (THost* to = Next())
            to->Tell(instruction);
    }
    void LinkLost(const std::string& reason) override {
        if (THost* to = Next())
            to->LinkLost(reason);
    }
    void Connected(const std::string& link) override {
        if (THost* to = Next())
            to->Connected(link);
    }

  protected:
    // The host each call goes on to; a subclass may choose it call by call.
    virtual THost* Next() const { return next; }

  private:
    THost* next;
};
