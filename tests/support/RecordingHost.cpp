#include "tests/support/RecordingHost.h"

#include "platform/System.h"

void TRecordingHost::Add(Event event) {
    event.atMs = platform::GetTickCount();
    Events.push_back(std::move(event));
}

void TRecordingHost::Info(const std::string& text, Tone tone) {
    Add({.kind = Kind::Info, .text = text, .tone = tone});
    TForwardingHost::Info(text, tone);
}

void TRecordingHost::Status(const std::string& text, Tone tone) {
    Add({.kind = Kind::Status, .text = text, .tone = tone});
    TForwardingHost::Status(text, tone);
}

void TRecordingHost::Box(platform::MessageKind kind, const std::string& text,
                             const std::string& caption) {
    Add({.kind = Kind::Box, .text = text, .box = kind});
    TForwardingHost::Box(kind, text, caption);
}

void TRecordingHost::Beep() {
    Add({.kind = Kind::Beep});
    TForwardingHost::Beep();
}

void TRecordingHost::Progress(int fromPercent, int toPercent, uint32_t expectedMs) {
    Add({.kind = Kind::Progress, .from = fromPercent, .to = toPercent, .expectedMs = expectedMs});
    TForwardingHost::Progress(fromPercent, toPercent, expectedMs);
}

void TRecordingHost::ProgressHold() {
    Add({.kind = Kind::Hold});
    TForwardingHost::ProgressHold();
}

void TRecordingHost::ProgressEnd() {
    Add({.kind = Kind::End});
    TForwardingHost::ProgressEnd();
}

std::vector<TRecordingHost::Event> TRecordingHost::Of(Kind kind, bool collapse) const {
    std::vector<Event> found;
    for (const Event& e : Events) {
        if (e.kind != kind)
            continue;
        if (collapse && (e.text.empty() || (!found.empty() && found.back().text == e.text)))
            continue;
        found.push_back(e);
    }
    return found;
}
