#include "tests/support/RecordingHost.h"

#include "platform/System.h"

void TRecordingHost::Add(Event event) {
    event.atMs = platform::GetTickCount();
    Events.push_back(std::move(event));
    if (OnEvent) {
        const Event heard = Events.back(); // the listener may add events
        OnEvent(heard);
    }
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

void TRecordingHost::TaskProgress(uint64_t done, uint64_t total) {
    Add({.kind = Kind::TaskProgress, .done = done, .total = total});
    TForwardingHost::TaskProgress(done, total);
}

void TRecordingHost::TaskStarted(const std::string& what) {
    task = what;
    Add({.kind = Kind::TaskStarted, .text = what});
    TForwardingHost::TaskStarted(what);
}

bool TRecordingHost::StopRequested() {
    const bool stop = Stop ? Stop() : TForwardingHost::StopRequested();
    Add({.kind = Kind::Stop, .answer = stop});
    return stop;
}

bool TRecordingHost::Ask(const std::string& question) {
    const bool yes = Answer ? Answer(question) : TForwardingHost::Ask(question);
    Add({.kind = Kind::Ask, .text = question, .answer = yes});
    return yes;
}

void TRecordingHost::Tell(const std::string& instruction) {
    Add({.kind = Kind::Tell, .text = instruction});
    TForwardingHost::Tell(instruction);
}

void TRecordingHost::LinkLost(const std::string& reason) {
    Add({.kind = Kind::LinkLost, .text = reason});
    TForwardingHost::LinkLost(reason);
}

void TRecordingHost::Connected(const std::string& link) {
    Add({.kind = Kind::Connected, .text = link});
    TForwardingHost::Connected(link);
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
