#include "python/PythonHost.h"

namespace py = pybind11;

namespace kbr::python {

// A box says why in full; the info lines after it only say that it failed.
void TPythonHost::Info(const std::string& text, Tone tone) {
    if (tone == Tone::Failure && !text.empty() && !boxed)
        lastFailure = text;
}

void TPythonHost::Box(platform::MessageKind /*kind*/, const std::string& text,
                      const std::string& /*caption*/) {
    if (!text.empty() && !boxed) {
        lastFailure = text;
        boxed = true;
    }
}

void TPythonHost::TaskProgress(uint64_t done, uint64_t total) {
    if (pending || progress.is_none())
        return;
    py::gil_scoped_acquire gil;
    try {
        progress(done, total);
    } catch (py::error_already_set& e) {
        // The script's own exception stops the work and reaches the script.
        pending.emplace(std::move(e));
    }
}

bool TPythonHost::StopRequested() {
    if (pending)
        return true;
    py::gil_scoped_acquire gil;
    // Python's own handler has only noted the signal; this runs it, so a
    // Ctrl-C becomes the KeyboardInterrupt the script sees when the work ends.
    if (PyErr_CheckSignals() != 0)
        pending.emplace();
    return pending.has_value();
}

bool TPythonHost::Ask(const std::string& question) {
    if (pending || ask.is_none())
        return false;
    py::gil_scoped_acquire gil;
    try {
        return py::bool_(ask(question));
    } catch (py::error_already_set& e) {
        pending.emplace(std::move(e));
        return false;
    }
}

void TPythonHost::Tell(const std::string& instruction) {
    if (pending || tell.is_none())
        return;
    py::gil_scoped_acquire gil;
    try {
        tell(instruction);
    } catch (py::error_already_set& e) {
        pending.emplace(std::move(e));
    }
}

void TPythonHost::SetPerson(py::object askCall, py::object tellCall) {
    ask = std::move(askCall);
    tell = std::move(tellCall);
}

void TPythonHost::Begin(py::object progressCall) {
    progress = std::move(progressCall);
    pending.reset();
    lastFailure.clear();
    boxed = false;
}

void TPythonHost::End() {
    progress = py::none();
    ask = py::none();
    tell = py::none();
    if (pending) {
        py::error_already_set error = std::move(*pending);
        pending.reset();
        throw error;
    }
}

} // namespace kbr::python
