#pragma once
#include <ostream>

#include "core/Host.h"

// kbr370's side of the reporting seam: what is happening and what went well
// as lines on `out`, boxes as "kbr370: <text>" lines on `err` (under --json,
// nothing on `out` and the boxes' texts kept for the error object). A failure is
// told by its box or by the error the command ends with, so its info line is
// not said again; status, beep and the gauge belong to the panel. A stop
// signal noted for the run (NoteStopSignals) is the stop it asks for; its
// questions and instructions go to the person at the terminal. A job's
// progress bar stands in front of it (TProgressBar).
class TStderrHost : public THost {
  public:
    TStderrHost(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    void Info(const std::string& text, Tone tone) override;
    void Box(platform::MessageKind kind, const std::string& text,
             const std::string& caption = {}) override;
    bool StopRequested() override;
    // Asked on `err`, answered on standard input (AskYesNo).
    bool Ask(const std::string& question) override;
    // "INSTRUCTION now" on `err`.
    void Tell(const std::string& instruction) override;

  private:
    std::ostream& out;
    std::ostream& err;
};

// The one kbr370 reports through: standard output and standard error.
THost& CliReport();
