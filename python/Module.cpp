// _kbr370: the C++ side of `import kbr370`. Thin bindings over the core; the
// classes, docstrings and generators a script sees are kbr370/__init__.py's.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "core/devices/Devices.h"
#include "core/devices/HsmcReport.h"
#include "core/devices/IrCodes.h"
#include "core/devices/Ps2Mouse.h"
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

const kbr::wire::TMemory& MemoryNamed(const std::string& argument) {
    for (const kbr::wire::TMemory& m : kbr::wire::kMemories)
        if (argument == m.argument)
            return m;
    throw py::value_error("no memory " + argument);
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
    for (const kbr::wire::TMemory& mem : kbr::wire::kMemories)
        memories.append(py::make_tuple(mem.argument, mem.name, mem.size, mem.erased, mem.flash));
    m.attr("memories") = memories;
    m.attr("vga_patterns") = std::vector<std::string>(kVgaPatternNames.begin(), kVgaPatternNames.end());
    m.def("vga_pattern", [](const std::string& text) { return ParseVgaPattern(text); });
    m.def("usb_word", &UsbKindWord);
    m.def("ir_key", [](uint8_t code) -> std::optional<std::string> {
        const int key = IrKeyOfCode(code);
        return key < 0 ? std::nullopt : std::optional<std::string>(IrKeyLabel(key));
    });
    m.def("ps2_report", [](const py::bytes& report) -> std::optional<py::tuple> {
        // The page's pointer moves by the report's deltas: they are the
        // difference of two pointers, one of them centred.
        const std::string bytes = report;
        if (bytes.size() != kMouseReportSize)
            return std::nullopt;
        TMousePointer pointer = CentredPointer();
        const TMousePointer before = pointer;
        if (!ApplyMouseReport(pointer, reinterpret_cast<const uint8_t*>(bytes.data())))
            return std::nullopt;
        return py::make_tuple(pointer.buttons, pointer.x - before.x, pointer.y - before.y);
    });
    m.attr("ps2_report_size") = kMouseReportSize;
    m.def("hsmc_failing", [](uint32_t mask8, uint64_t mask40) {
        std::vector<std::string> lines;
        for (int group = 0; group < 4; ++group)
            if (mask8 >> group & 1)
                lines.push_back(HsmcTransceiverLine(group));
        for (int pair = 0; pair < 40; ++pair)
            if (mask40 >> pair & 1)
                lines.push_back(HsmcPinPairLine(pair));
        return lines;
    });
    m.def("selftest_areas", &TSelfTest::Areas);
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
        .def("rs232_send", [](TBoardHandle& b, const py::bytes& data) { b.Rs232Send(data); })
        .def("watch_start", &TBoardHandle::WatchStart)
        .def("watch_tick", &TBoardHandle::WatchTick)
        .def("watch_stop", &TBoardHandle::WatchStop)
        .def("selftest",
             [](TBoardHandle& b, const std::vector<std::string>& areas, bool full,
                bool destructive, bool loopback, const std::map<std::string, std::string>& reports,
                py::object progress) {
                 return ReportDict(b.SelfTest(areas, full, destructive, loopback, reports,
                                              std::move(progress)));
             });
}
