#pragma once
#include <cstdint>
#include <string>

#include "platform/Hooks.h"

// How what a front end does with a board reaches its user. The panel shows it
// in its info line, status text, gauge and message boxes; the CLI writes
// standard error; tests record it. Lower layers never show anything
// themselves: they return errors with their reasons, and the session reports.
class TReporter {
  public:
    // What an info or status line means; the panel picks its colour from it.
    enum class Tone { Success, Progress, Failure };

    virtual ~TReporter() = default;

    // The info line: what is happening now, or how it ended. An empty
    // Success line clears it.
    virtual void Info(const std::string& text, Tone tone) = 0;
    // The connection status ("Connected", "Disconnected"). A front end without
    // a status line, a speaker or a gauge leaves the calls below alone.
    virtual void Status(const std::string& /*text*/, Tone /*tone*/) {}
    // A message the user must acknowledge (a modal box with one OK button).
    virtual void Box(platform::MessageKind kind, const std::string& text,
                     const std::string& caption = {}) = 0;
    virtual void Beep() {}
    // A long step: progress moves from `fromPercent` towards `toPercent` over
    // about `expectedMs`, and holds there until the next step or Hold/End.
    virtual void Progress(int /*fromPercent*/, int /*toPercent*/, uint32_t /*expectedMs*/) {}
    // The step failed: progress stops where it is.
    virtual void ProgressHold() {}
    // The sequence is over: progress shows done (100 %) and goes.
    virtual void ProgressEnd() {}
};
