#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/ForwardingHost.h"

// Remembers everything reported, in order, with the time it came; passes it
// on to the host it stands in front of, if any.
class TRecordingHost : public TForwardingHost {
  public:
    enum class Kind { Info, Status, Box, Beep, Progress, Hold, End };
    struct Event {
        Kind kind = Kind::Info;
        std::string text = {}; // Info, Status, Box
        Tone tone = Tone::Progress;
        platform::MessageKind box = platform::MessageKind::Information;
        int from = 0, to = 0; // Progress
        uint32_t expectedMs = 0;
        uint32_t atMs = 0; // platform::GetTickCount() when it came
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

    // The events of one kind; with `collapse`, empty texts are left out and a
    // text repeated at once counts once.
    std::vector<Event> Of(Kind kind, bool collapse = false) const;

    std::vector<Event> Events;

  private:
    void Add(Event event);
};
