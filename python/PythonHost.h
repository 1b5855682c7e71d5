#pragma once
#include <optional>
#include <string>

#include <pybind11/pybind11.h>

#include "core/Host.h"

namespace kbr::python {

// The core's host for a Python script. The core runs with the GIL released;
// each call that reaches Python takes it back for as long as it needs:
// task progress goes to the script's progress(done, total), the stop
// question is a check for signals (Ctrl-C stops at the next exchange), and
// the first failure told is kept for the exception that ends the operation.
class TPythonHost : public THost {
  public:
    void Info(const std::string& text, Tone tone) override;
    void Box(platform::MessageKind kind, const std::string& text,
             const std::string& caption) override;
    void TaskProgress(uint64_t done, uint64_t total) override;
    bool StopRequested() override;
    bool Ask(const std::string& question) override;
    void Tell(const std::string& instruction) override;

    // Starts an operation: `progress` (None for none) hears its task's steps.
    // Call with the GIL held.
    void Begin(pybind11::object progress);
    // For a self test with a person at the board: ask(question) -> bool and
    // tell(instruction), both Python callables (None: answer no, tell nothing).
    void SetPerson(pybind11::object ask, pybind11::object tell);
    // Ends it, with the GIL held: raises what Python raised meanwhile (the
    // KeyboardInterrupt of a Ctrl-C, or the progress callable's exception).
    void End();

    // The failure the core told first in a box, else in an info line, for
    // the exception's text; cleared by Begin.
    const std::string& LastFailure() const { return lastFailure; }

  private:
    pybind11::object progress;
    pybind11::object ask = pybind11::none(), tell = pybind11::none();
    std::optional<pybind11::error_already_set> pending;
    std::string lastFailure;
    bool boxed = false;
};

} // namespace kbr::python
