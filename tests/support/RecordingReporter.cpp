#include "tests/support/RecordingReporter.h"

#include "platform/System.h"

void TRecordingReporter::Add(Event event) {
    event.atMs = platform::GetTickCount();
    Events.push_back(std::move(event));
}

void TRecordingReporter::Info(const std::string& text, Tone tone) {
    Add({.kind = Kind::Info, .text = text, .tone = tone});
    TForwardingReporter::Info(text, tone);
}

void TRecordingReporter::Status(const std::string& text, Tone tone) {
    Add({.kind = Kind::Status, .text = text, .tone = tone});
    TForwardingReporter::Status(text, tone);
}

void TRecordingReporter::Box(platform::MessageKind kind, const std::string& text,
                             const std::string& caption) {
    Add({.kind = Kind::Box, .text = text, .box = kind});
    TForwardingReporter::Box(kind, text, caption);
}

void TRecordingReporter::Beep() {
    Add({.kind = Kind::Beep});
    TForwardingReporter::Beep();
}

void TRecordingReporter::Progress(int fromPercent, int toPercent, uint32_t expectedMs) {
    Add({.kind = Kind::Progress, .from = fromPercent, .to = toPercent, .expectedMs = expectedMs});
    TForwardingReporter::Progress(fromPercent, toPercent, expectedMs);
}

void TRecordingReporter::ProgressHold() {
    Add({.kind = Kind::Hold});
    TForwardingReporter::ProgressHold();
}

void TRecordingReporter::ProgressEnd() {
    Add({.kind = Kind::End});
    TForwardingReporter::ProgressEnd();
}

std::vector<TRecordingReporter::Event> TRecordingReporter::Of(Kind kind, bool collapse) const {
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
