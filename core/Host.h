#pragma once
#include <cstdint>
#include <string>

#include "platform/Hooks.h"

// The one seam between the core and its front end: everything the core tells
// or asks the user goes through here. The panel shows it in its info line,
// status text, gauge and message boxes; kbr370 writes standard error and
// reads the terminal; the Python module calls the script's callables; tests
// record it. Lower layers never show anything themselves: they return errors
// with their reasons, and the core tells its host.
class THost {
  public:
    // What an info or status line means; the panel picks its colour from it.
    enum class Tone { Success, Progress, Failure };

    virtual ~THost() = default;

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

    // A task counted in its own units (bytes, checks): `done` of `total`.
    virtual void TaskProgress(uint64_t /*done*/, uint64_t /*total*/) {}
    // The task whose progress follows is `what` ("SRAM march"): a front end
    // names its gauge so.
    virtual void TaskStarted(const std::string& /*what*/) {}
    // Asked before each exchange of a long task: true stops it there.
    virtual bool StopRequested() { return false; }
    // A yes or no question; a host that cannot ask answers no.
    virtual bool Ask(const std::string& /*question*/) { return false; }
    // Something the user must do at the board before the next step.
    virtual void Tell(const std::string& instruction) { Info(instruction, Tone::Progress); }
    // The board's link was lost; `reason` is what the user reads.
    virtual void LinkLost(const std::string& /*reason*/) {}
    // The board answered and is the one expected; `link` names the cable.
    virtual void Connected(const std::string& /*link*/) {}
};
