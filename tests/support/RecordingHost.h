#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ForwardingHost.h"

// Remembers everything reported, in order, with the time it came; passes it
// on to the host it stands in front of, if any.
class TRecordingHost : public TForwardingHost {
  public:
    enum class Kind {
        Info,
        Status,
        Box,
        Beep,
        Progress,
        Hold,
        End,
        TaskStarted,  // `text` names the task
        TaskProgress, // `done` of `total`
        Stop,         // StopRequested: `answer`
        Ask,          // `text` asked, `answer` given
        Tell,         // `text`
        LinkLost,     // `text`: the reason
        Connected,    // `text`: the link
    };
    struct Event {
        Kind kind = Kind::Info;
        std::string text = {}; // Info, Status, Box, TaskStarted, Ask, Tell, LinkLost, Connected
        Tone tone = Tone::Progress;
        platform::MessageKind box = platform::MessageKind::Information;
        int from = 0, to = 0; // Progress
        uint32_t expectedMs = 0;
        uint64_t done = 0, total = 0; // TaskProgress
        bool answer = false;          // Stop, Ask
        uint32_t atMs = 0;            // platform::GetTickCount() when it came
    };

    using TForwardingHost::TForwardingHost;

    void Info(const std::string& text, Tone tone) override;
    void Status(const std::string& text, Tone tone) override;
    void Box(platform::MessageKind kind, const std::string& text,
             const std::string& caption = {}) override;
    void Beep() override;
    void Progress(int fromPercent, int toPercent, uint32_t expectedMs) override;
    void ProgressHold() override;
    void ProgressEnd() override;
    void TaskProgress(uint64_t done, uint64_t total) override;
    void TaskStarted(const std::string& what) override;
    bool StopRequested() override;
    bool Ask(const std::string& question) override;
    void Tell(const std::string& instruction) override;
    void LinkLost(const std::string& reason) override;
    void Connected(const std::string& link) override;

    // The events of one kind; with `collapse`, empty texts are left out and a
    // text repeated at once counts once.
    std::vector<Event> Of(Kind kind, bool collapse = false) const;
    // The last task started, or empty.
    const std::string& CurrentTask() const { return task; }

    // What StopRequested and Ask answer; unset, the host behind answers.
    std::function<bool()> Stop;
    std::function<bool(const std::string& question)> Answer;
    // Hears each event as it is recorded.
    std::function<void(const Event&)> OnEvent;

    std::vector<Event> Events;

  private:
    void Add(Event event);
    std::string task;
};
