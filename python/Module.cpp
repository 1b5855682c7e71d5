// _kbr370: the C++ side of `import kbr370`. Thin bindings over the core; the
// classes, docstrings and generators a script sees are kbr370/__init__.py's.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "core/devices/Devices.h"
#include "core/devices/LcdText.h"
#include "core/devices/Leds.h"
#include "core/devices/UsbDevice.h"
#include "core/devices/VgaPattern.h"
#include "core/jobs/SelfTest.h"
#include "platform/System.h"
#include "platform/UnixSocket.h"
#include "platform/Version.h"
#include "python/BoardHandle.h"
#include "python/PyErrors.h"

namespace py = pybind11;
using kbr::python::TBoardHandle;

namespace {

// The exception classes are the Python side's, with their docstrings; they
// are looked up when first raised, once kbr370 has defined them.
void RaiseAs(const char* name, const char* text) {
    py::object type = py::module_::import("kbr370").attr(name);
    PyErr_SetString(type.ptr(), text);
}

void TranslateErrors(std::exception_ptr error) {
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const kbr::python::TLinkError& e) {
        RaiseAs("LinkError", e.what());
    } catch (const kbr::python::TBoardRefused& e) {
        RaiseAs("BoardRefused", e.what());
    } catch (const kbr::python::TBoardError& e) {
        RaiseAs("Error", e.what());
    }
}

const kbr::devices::TMemory& MemoryNamed(const std::string& argument) {
    if (const kbr::devices::TMemory* memory = kbr::devices::FindMemory(argument))
        return *memory;
    throw py::value_error("no memory " + argument);
}

// The format named, else the one of the file's name (the name is checked
// on the Python side first).
TContentFormat ContentFormatFor(const std::string& path, const std::string& format) {
    if (format.empty())
        return ContentFormatOfName(path);
    if (const auto named = ContentFormatNamed(format))
        return *named;
    throw py::value_error("no content format " + format);
}

py::dict CheckDict(const TCheckResult& c) {
    py::dict d;
    d["area"] = c.area;
    d["name"] = c.name;
    d["result"] = ResultName(c.result);
    d["message"] = c.message;
    d["duration_ms"] = c.durationMs;
    d["details"] = c.details;
    return d;
}

py::dict ReportDict(const TSelfTestReport& r) {
    py::dict d;
    py::list checks;
    for (const TCheckResult& c : r.checks)
        checks.append(CheckDict(c));
    py::list unrestored;
    for (const TPatternRange& u : r.unrestored)
        unrestored.append(py::make_tuple(u.memory, u.address, u.bytes));
    d["checks"] = checks;
    d["completed"] = r.completed;
    d["stop_reason"] = r.stopReason;
    d["unrestored"] = unrestored;
    d["board"] = r.board;
    d["link"] = r.link;
    return d;
}

} // namespace

PYBIND11_MODULE(_kbr370, m) {
    m.doc() = "The C++ side of kbr370: bindings over the board's core. Use kbr370 instead.";
    py::register_exception_translator(&TranslateErrors);
    m.attr("version") = kKbrVersion;

    m.def("set_program_directory", &platform::SetProgramDirectory,
          "Where the drivers and the design file lie, in place of python3's folder.");
    m.def("program_directory", &platform::ProgramDirectory);
    m.def("make_path_variables_absolute", &platform::MakePathVariablesAbsolute);
    m.def(
        "control_request",
        [](const std::string& socket, const std::string& command, int timeoutMs) {
            std::string reply;
            bool ok = false;
            {
                py::gil_scoped_release nogil;
                ok = platform::ControlRequest(socket, command, reply, timeoutMs);
            }
            return ok ? py::object(py::str(reply)) : py::object(py::none());
        },
        "One line to a control socket and its reply line; None when nothing answers.");

    py::list memories;
    for (const kbr::devices::TMemory& mem : kbr::devices::kMemories)
        memories.append(py::make_tuple(mem.argument, mem.name, mem.size, mem.erased, mem.flash));
    m.attr("memories") = memories;
    m.attr("vga_patterns") = std::vector<std::string>(kVgaPatternNames.begin(), kVgaPatternNames.end());
    m.def("vga_pattern", [](const std::string& text) { return ParseVgaPattern(text); });
    m.def("usb_word", &UsbKindWord);
    m.def("lcd_line_fault", &kbr::devices::LcdLineFault,
          "Why the line cannot stand on the LCD; empty when it can.");
    m.def("selftest_areas", &TSelfTest::Areas);
    m.def(
        "choose_areas",
        [](const std::string& only, const std::string& skip) {
            std::string error;
            const auto areas = TSelfTest::ChooseAreas(only, skip, error);
            if (!areas)
                throw py::value_error(error);
            return *areas;
        },
        "The areas `only` leaves less `skip` (comma-separated), in run order.");
    m.def("content_format", [](const std::string& name) -> std::optional<std::string> {
        const auto format = ContentFormatNamed(name);
        return format ? std::optional<std::string>(ContentFormatName(*format)) : std::nullopt;
    });
    std::vector<std::string> formats;
    for (const TContentFormatRow& row : ContentFormats())
        formats.push_back(row.name);
    m.attr("content_formats") = formats;
    py::dict channels, pollMs;
    for (const auto& [name, device] :
         {std::pair{"ir", kbr::devices::kIr}, {"rs232", kbr::devices::kRs232},
          {"ps2", kbr::devices::kPs2}}) {
        channels[name] = static_cast<int>(device.channel);
        pollMs[py::int_(static_cast<int>(device.channel))] = device.pollMs;
    }
    m.attr("channels") = channels;
    m.attr("poll_ms") = pollMs;
    m.attr("switches_poll_ms") = kbr::devices::kSwitchesPollMs;
    m.attr("all_leds") = kbr::devices::kAllLeds;

    py::class_<TBoardHandle>(m, "BoardHandle")
        .def(py::init<uint32_t>())
        .def("connect", &TBoardHandle::Connect)
        .def("disconnect", &TBoardHandle::Disconnect)
        .def_property_readonly("connected", &TBoardHandle::Connected)
        .def_property_readonly("name", &TBoardHandle::Name)
        .def_property_readonly("link_info", &TBoardHandle::LinkInfo)
        .def("set_leds", &TBoardHandle::SetLeds)
        .def("set_seg7", &TBoardHandle::SetSeg7)
        .def("inputs", &TBoardHandle::Inputs)
        .def("set_lcd", &TBoardHandle::SetLcd)
        .def("set_vga", &TBoardHandle::SetVga)
        .def("usb", &TBoardHandle::Usb)
        .def("sd", &TBoardHandle::Sd)
        .def("hsmc", &TBoardHandle::Hsmc)
        .def("read",
             [](TBoardHandle& b, const std::string& memory, uint32_t address, uint32_t count,
                py::object progress) {
                 return b.Read(MemoryNamed(memory), address, count, std::move(progress));
             })
        .def("write",
             [](TBoardHandle& b, const std::string& memory, uint32_t address,
                const py::buffer& data, py::object progress) {
                 b.Write(MemoryNamed(memory), address, data, std::move(progress));
             })
        .def("verify",
             [](TBoardHandle& b, const std::string& memory, uint32_t address,
                const py::buffer& data, py::object progress) {
                 return b.Verify(MemoryNamed(memory), address, data, std::move(progress));
             })
        .def("erase", &TBoardHandle::Erase)
        .def("save",
             [](TBoardHandle& b, const std::string& memory, uint32_t address, uint32_t count,
                const std::string& path, const std::string& format, py::object progress) {
                 b.Save(MemoryNamed(memory), address, count, path, ContentFormatFor(path, format),
                        std::move(progress));
             })
        .def("load",
             [](TBoardHandle& b, const std::string& memory, uint32_t address,
                const std::string& path, const std::string& format, py::object progress) {
                 std::optional<TContentFormat> chosen;
                 if (!format.empty())
                     chosen = ContentFormatFor(path, format);
                 return b.Load(MemoryNamed(memory), address, path, chosen, std::move(progress));
             })
        .def("rs232_send", [](TBoardHandle& b, const py::bytes& data) { b.Rs232Send(data); })
        .def("watch_start", &TBoardHandle::WatchStart)
        .def("watch_tick", &TBoardHandle::WatchTick)
        .def("watch_stop", &TBoardHandle::WatchStop)
        .def("selftest",
             [](TBoardHandle& b, const std::vector<std::string>& areas, bool full,
                bool destructive, bool loopback, const std::map<std::string, std::string>& reports,
                py::object progress, py::object ask, py::object tell) {
                 return ReportDict(b.SelfTest(areas, full, destructive, loopback, reports,
                                              std::move(progress), std::move(ask),
                                              std::move(tell)));
             });
}
