#include "python/BoardHandle.h"

#include "core/formats/ContentFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "core/BoardConnection.h"
#include "core/DeviceWatch.h"
#include "core/devices/Devices.h"
#include "core/devices/HsmcReport.h"
#include "core/devices/Inputs.h"
#include "core/devices/IrCodes.h"
#include "core/devices/LcdText.h"
#include "core/devices/Leds.h"
#include "core/devices/Ps2Mouse.h"
#include "core/devices/Rs232Text.h"
#include "core/devices/SdCard.h"
#include "core/devices/SdCardJson.h"
#include "core/devices/Seg7Digits.h"
#include "core/devices/UsbDevice.h"
#include "core/devices/VgaPattern.h"
#include "core/files/ReplacingFile.h"
#include "core/formats/ReportFormat.h"
#include "core/jobs/MemoryTransfer.h"
#include "core/jobs/SelfTest.h"
#include "platform/System.h"
#include "python/PyErrors.h"

namespace py = pybind11;
using kbr::devices::TDeviceResult;
using kbr::devices::TOutcome;

namespace kbr::python {

struct TBoardHandle::TImpl {
    explicit TImpl(THost& host) : connection(host) {}
    TBoardConnection connection;
    std::map<int, std::unique_ptr<TDeviceWatch>> watches;
    TMousePointer pointer = CentredPointer();
};

// One operation of the script: its progress callable and Ctrl-C for the
// time the board works without the GIL, and what Python raised meanwhile
// raised when it ends.
class TBoardHandle::TOperation {
  public:
    explicit TOperation(TPythonHost& host, py::object progress = py::none()) : host(host) {
        host.Begin(std::move(progress));
    }
    // Runs `work` without the GIL.
    template <class F> static auto Run(F&& work) {
        py::gil_scoped_release nogil;
        return work();
    }
    // The same, holding the board for the whole of it: a transfer's
    // exchanges follow one another, whatever other threads of the script ask
    // of the board meanwhile.
    template <class F> static auto RunHolding(TBoardConnection& connection, F&& work) {
        py::gil_scoped_release nogil;
        const std::lock_guard<std::recursive_mutex> hold(connection.Board().Lock);
        return work();
    }
    // Raises a KeyboardInterrupt or the progress callable's exception.
    void End() { host.End(); }
    // RunHolding, then End: a whole transfer.
    template <class F> auto RunHoldingToEnd(TBoardConnection& connection, F&& work) {
        auto result = RunHolding(connection, std::forward<F>(work));
        End();
        return result;
    }

  private:
    TPythonHost& host;
};

namespace {

// A bytes-like object's bytes, however its items are sized.
std::pair<const uint8_t*, uint32_t> BytesOf(const py::buffer_info& info) {
    return {static_cast<const uint8_t*>(info.ptr), static_cast<uint32_t>(info.size * info.itemsize)};
}

// Raises the operation's failure; the connection has dropped a failed link.
void Check(const TDeviceResult& result) {
    if (result.outcome == TOutcome::LinkFailed)
        throw TLinkError(result.reason);
    if (result.outcome == TOutcome::Refused)
        throw TBoardRefused(result.reason);
}

// The open calls change the current directory (to Quartus's, to the
// programs'); a script's relative paths must mean what they meant.
class TKeepCurrentDirectory {
  public:
    TKeepCurrentDirectory() : dir(platform::CurrentDirectory()) {}
    ~TKeepCurrentDirectory() {
        if (!dir.empty())
            platform::SetCurrentDirectory(dir);
    }

  private:
    std::string dir;
};

// Runs one device operation without the GIL and raises its failure.
template <class F> auto Device(F&& operation) {
    auto result = [&] {
        py::gil_scoped_release nogil;
        return operation();
    }();
    Check(result);
    return result;
}

} // namespace

TBoardHandle::TBoardHandle(uint32_t timeLimitMs) : impl(std::make_unique<TImpl>(host)) {
    impl->connection.SetReplyLimit(timeLimitMs);
}

TBoardHandle::~TBoardHandle() {
    py::gil_scoped_release nogil;
    impl->watches.clear();
    impl->connection.Disconnect();
}

void TBoardHandle::Connect(const std::string& design) {
    TOperation op(host);
    const bool connected = op.Run([&] {
        TKeepCurrentDirectory keep;
        impl->watches.clear();
        impl->connection.Disconnect();
        if (!design.empty())
            setenv("KBR370_DESIGN", design.c_str(), 1);
        return impl->connection.Connect(TBoardConnection::TPolicy::Configure);
    });
    op.End();
    if (!connected)
        throw TLinkError(host.LastFailure().empty() ? "the board is not reached"
                                                    : host.LastFailure());
    name = TBoardConnection::BoardName();
}

void TBoardHandle::Disconnect() {
    py::gil_scoped_release nogil;
    impl->watches.clear();
    impl->connection.Disconnect();
}

bool TBoardHandle::Connected() const { return impl->connection.IsConnected(); }

std::string TBoardHandle::LinkInfo() const { return impl->connection.LinkInfo(); }

void TBoardHandle::SetLeds(uint32_t bits) {
    Device([&] { return devices::SetLeds(impl->connection, bits); });
}

void TBoardHandle::SetSeg7(uint32_t value, uint8_t extra) {
    Device([&] { return devices::SetSeg7(impl->connection, value, extra); });
}

std::pair<uint32_t, uint32_t> TBoardHandle::Inputs() {
    const devices::TInputs inputs = Device([&] { return devices::ReadInputs(impl->connection); }).value;
    return {inputs.Keys(), inputs.Switches()};
}

void TBoardHandle::SetLcd(const std::string& line0, const std::string& line1) {
    Device([&] { return devices::SetLcdText(impl->connection, line0, line1); });
}

void TBoardHandle::SetVga(int pattern) {
    Device([&] {
        return devices::SetVgaPattern(impl->connection, static_cast<uint8_t>(pattern));
    });
}

int TBoardHandle::Usb() {
    return Device([&] { return devices::ReadUsbDevice(impl->connection); }).value;
}

py::dict TBoardHandle::Sd() {
    const devices::TSdCard card =
        Device([&] { return devices::ReadSdCard(impl->connection); }).value;
    // The fields of `kbr370 sd --json`, made once in the core, as Python's own objects.
    return py::module_::import("json").attr("loads")(devices::SdCardJson(card).dump());
}

std::pair<bool, std::vector<std::string>> TBoardHandle::Hsmc() {
    const devices::THsmcResult result =
        Device([&] { return devices::RunHsmcTest(impl->connection); }).value;
    std::vector<std::string> failing = result.transceiverErrors;
    failing.insert(failing.end(), result.pioErrors.begin(), result.pioErrors.end());
    return {result.Passed(), failing};
}

namespace {

using TTransferOutcome = TMemoryTransfer::Outcome;

// A transfer whose link failed: the connection drops the link, and the
// script reads where it broke off (and `more`).
[[noreturn]] void TransferFailed(TBoardConnection& connection,
                                 const TMemoryTransfer::TResult& result, const char* verb,
                                 const kbr::devices::TMemory& memory, uint32_t address,
                                 const std::string& more = {}) {
    const devices::TMemoryResult lost = [&] {
        py::gil_scoped_release nogil;
        return devices::LinkLostAt(connection, verb, memory, address + result.done);
    }();
    throw TLinkError(lost.reason + more);
}

// Drops the link, without the GIL: a job that ended on a lost link.
void DropLink(TBoardConnection& connection, const std::string& reason) {
    py::gil_scoped_release nogil;
    connection.LoseLink(reason);
}

} // namespace

// The transfers' progress and stop question go to the host: the script's
// progress callable and Ctrl-C.
TMemoryTransfer TBoardHandle::Transfer() { return TMemoryTransfer(impl->connection.Board(), host); }

py::bytes TBoardHandle::Read(const kbr::devices::TMemory& memory, uint32_t address, uint32_t count,
                             py::object progress) {
    // The bytes object is filled in place: a 128 MiB read costs 128 MiB once.
    py::bytes out(nullptr, count);
    auto* buffer = reinterpret_cast<uint8_t*>(PyBytes_AS_STRING(out.ptr()));
    const TMemoryTransfer::TResult result =
        TOperation(host, std::move(progress)).RunHoldingToEnd(impl->connection, [&] {
            return Transfer().ReadInto(memory, address, count, TMemoryTransfer::ReadPlan(), buffer);
        });
    if (!result.Ok())
        TransferFailed(impl->connection, result, "reading", memory, address);
    return out;
}

TMemoryTransfer::TResult TBoardHandle::PassBytes(const kbr::devices::TMemory& memory,
                                                 uint32_t address, const py::buffer& data,
                                                 py::object progress, bool verify) {
    const py::buffer_info info = data.request();
    const auto [bytes, count] = BytesOf(info);
    return TOperation(host, std::move(progress)).RunHoldingToEnd(impl->connection, [&] {
        TMemoryTransfer transfer = Transfer();
        return verify ? transfer.Verify(memory, address, bytes, count, TMemoryTransfer::ReadPlan())
                      : transfer.Write(memory, address, bytes, count, TMemoryTransfer::WritePlan());
    });
}

void TBoardHandle::Write(const kbr::devices::TMemory& memory, uint32_t address,
                         const py::buffer& data, py::object progress) {
    const TMemoryTransfer::TResult result =
        PassBytes(memory, address, data, std::move(progress), false);
    if (!result.Ok())
        TransferFailed(impl->connection, result, "writing", memory, address);
}

std::optional<uint32_t> TBoardHandle::Verify(const kbr::devices::TMemory& memory, uint32_t address,
                                             const py::buffer& data, py::object progress) {
    const TMemoryTransfer::TResult result =
        PassBytes(memory, address, data, std::move(progress), true);
    if (result.outcome == TTransferOutcome::Differs)
        return address + result.done;
    if (!result.Ok())
        TransferFailed(impl->connection, result, "verifying", memory, address);
    return std::nullopt;
}

void TBoardHandle::Erase(py::object progress) {
    const TMemoryTransfer::TResult result =
        TOperation(host, std::move(progress)).RunHoldingToEnd(impl->connection, [&] {
            return Transfer().Erase();
        });
    if (result.Ok())
        return;
    const std::string failure = TMemoryTransfer::EraseFailure(result);
    if (result.outcome == TTransferOutcome::Refused ||
        result.outcome == TTransferOutcome::BadStepCount)
        throw TBoardRefused(failure);
    DropLink(impl->connection, failure);
    throw TLinkError(failure);
}

void TBoardHandle::Save(const kbr::devices::TMemory& memory, uint32_t address, uint32_t count,
                        const std::string& path, TContentFormat format, py::object progress) {
    TReplacingFile file;
    if (!file.Create(path))
        throw TBoardError(file.Error());
    const auto encoder = MakeContentEncoder(format, address, count, memory.argument);
    const TMemoryTransfer::TResult result =
        TOperation(host, std::move(progress)).RunHoldingToEnd(impl->connection, [&] {
            return Transfer().ReadToFile(
                memory, address, count, TMemoryTransfer::ReadPlan(), *encoder,
                [&](const void* data, size_t n) { return file.Write(data, n); });
        });
    if (result.outcome == TTransferOutcome::SinkFailed)
        throw TBoardError("writing " + path + " failed: " + std::strerror(errno));
    if (!result.Ok())
        TransferFailed(impl->connection, result, "reading", memory, address,
                       "; " + path + " was not written");
    if (!file.Commit())
        throw TBoardError("writing " + path + " failed: " + std::strerror(errno));
}

uint64_t TBoardHandle::Load(const kbr::devices::TMemory& memory, uint32_t address,
                            const std::string& path, std::optional<TContentFormat> format,
                            py::object progress) {
    std::vector<TImageSegment> segments;
    try {
        segments = ReadContentFile(path, format, memory.size - address);
    } catch (const TContentFileError& e) {
        throw py::value_error(e.what());
    }
    if (const std::string outside = devices::PlaceSegments(memory, address, segments, path);
        !outside.empty())
        throw py::value_error(outside);
    uint64_t total = 0;
    for (const TImageSegment& segment : segments)
        total += segment.bytes.size();
    TOperation op(host, std::move(progress));
    for (const TImageSegment& segment : segments) {
        const auto at = static_cast<uint32_t>(segment.address);
        const TMemoryTransfer::TResult result = op.RunHolding(impl->connection, [&] {
            return Transfer().Write(memory, at, segment.bytes.data(),
                                    static_cast<uint32_t>(segment.bytes.size()),
                                    TMemoryTransfer::WritePlan());
        });
        if (!result.Ok()) {
            op.End();
            TransferFailed(impl->connection, result, "writing", memory, at);
        }
    }
    op.End();
    return total;
}

void TBoardHandle::Rs232Send(const std::string& bytes) {
    Device([&] { return devices::Rs232Send(impl->connection, bytes); });
}

namespace {

const devices::TDeviceRow& RowOfChannel(int channel) {
    for (const devices::TDeviceRow& row : devices::kDeviceTable)
        if (row.channel == channel)
            return row;
    throw TBoardError("no device watched on channel " + std::to_string(channel));
}

} // namespace

void TBoardHandle::WatchStart(int channel) {
    auto watch = std::make_unique<TDeviceWatch>(impl->connection, static_cast<uint8_t>(channel));
    const devices::TDeviceRow& row = RowOfChannel(channel);
    Device([&] {
        TDeviceWatch::TOutcome outcome = TDeviceWatch::TOutcome::Ok;
        if (!impl->connection.Exchange(
                [&](TBoard&) {
                    outcome = watch->Start();
                    return outcome != TDeviceWatch::TOutcome::LinkFailed;
                },
                devices::kWatchStartFailed))
            return TDeviceResult::LinkFailed(devices::kWatchStartFailed);
        if (outcome == TDeviceWatch::TOutcome::Refused) {
            // The mode goes off again: nothing stays on behind a refusal.
            watch.reset();
            return TDeviceResult::Refused(devices::RefusedText(row));
        }
        return TDeviceResult::Done();
    });
    if (channel == devices::kPs2.channel)
        impl->pointer = CentredPointer();
    impl->watches[channel] = std::move(watch);
}

py::object TBoardHandle::WatchTick(int channel) {
    auto it = impl->watches.find(channel);
    if (it == impl->watches.end())
        throw TBoardError("the device is not watched");
    TDeviceWatch& watch = *it->second;
    if (channel == devices::kIr.channel) {
        py::list codes;
        for (const devices::TIrCode& c :
             Device([&] { return devices::ReadIrCodes(impl->connection, watch); }).value)
            codes.append(py::make_tuple(c.code, c.key < 0 ? py::none()
                                                          : py::object(py::str(IrKeyLabel(c.key)))));
        return codes;
    }
    if (channel == devices::kPs2.channel) {
        py::list reports;
        for (const devices::TMouseReport& r :
             Device([&] {
                 return devices::ReadMouseReports(impl->connection, watch, impl->pointer);
             }).value)
            reports.append(py::make_tuple(r.buttons, r.dx, r.dy));
        return reports;
    }
    const std::vector<uint8_t> bytes =
        Device([&] { return devices::Rs232Receive(impl->connection, watch); }).value;
    return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void TBoardHandle::WatchStop(int channel) {
    auto it = impl->watches.find(channel);
    if (it == impl->watches.end())
        return;
    std::unique_ptr<TDeviceWatch> watch = std::move(it->second);
    impl->watches.erase(it);
    TOperation::Run([&] {
        impl->connection.Exchange(
            [&](TBoard&) { return watch->Stop() != TDeviceWatch::TOutcome::LinkFailed; },
            devices::kWatchStartFailed);
    });
}

namespace {

// Writes the reports the script named; the first that cannot be written is raised.
void WriteReports(const TSelfTestReport& report, const std::map<std::string, std::string>& paths) {
    for (const TReportFormatRow& format : ReportFormats()) {
        const auto named = paths.find(format.name);
        if (named == paths.end())
            continue;
        const std::string& path = named->second;
        const std::string text = format.writer(report);
        TReplacingFile file;
        if (!file.Create(path))
            throw TBoardError(file.Error());
        if (!file.Write(text.data(), text.size()) || !file.Commit())
            throw TBoardError(std::string("the ") + format.name + " report could not be written to " +
                              path);
    }
}

} // namespace

TSelfTestReport TBoardHandle::SelfTest(const std::vector<std::string>& areas, bool full,
                                       bool destructive, bool rs232Loopback,
                                       const std::map<std::string, std::string>& reports,
                                       py::object progress, py::object ask, py::object tell) {
    TSelfTest::TOptions options;
    options.areas = areas;
    options.full = full;
    options.destructive = destructive;
    options.rs232Loopback = rs232Loopback;
    options.interactive = !ask.is_none();
    TSelfTestReport report = TSelfTest::StartReport(options);
    report.board = name;
    report.link = impl->connection.LinkInfo();
    const uint32_t start = platform::GetTickCount();
    TOperation op(host, std::move(progress));
    host.SetPerson(std::move(ask), std::move(tell));
    op.RunHolding(impl->connection, [&] { TSelfTest(impl->connection.Board(), options, host).Run(report); });
    report.durationMs = platform::GetTickCount() - start;
    // The run has put memory back before it ends and its reports are
    // written, also after a Ctrl-C, which is raised then.
    WriteReports(report, reports);
    op.End();
    if (!report.completed)
        DropLink(impl->connection, report.stopReason);
    return report;
}

} // namespace kbr::python
