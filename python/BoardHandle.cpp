#include "python/BoardHandle.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "board/Board.h"
#include "board/SdCardRegisters.h"
#include "core/ConnectSequence.h"
#include "core/devices/Devices.h"
#include "core/devices/LcdText.h"
#include "core/devices/Rs232Text.h"
#include "core/jobs/MemoryTransfer.h"
#include "core/files/ReplacingFile.h"
#include "core/jobs/HtmlReport.h"
#include "core/jobs/JsonReport.h"
#include "core/jobs/JunitReport.h"
#include "core/jobs/SelfTest.h"
#include "platform/System.h"
#include "platform/Version.h"
#include "python/PyErrors.h"

namespace py = pybind11;

namespace kbr::python {

struct TBoardHandle::TImpl {
    TBoard board;
    std::map<int, std::unique_ptr<TDeviceWatch>> watches;
};

// One operation of the script: its progress callable and Ctrl-C for the
// time the board works without the GIL, and what Python raised meanwhile
// raised when it ends.
class TBoardHandle::TOperation {
  public:
    TOperation(TPythonHost& host, py::object progress = py::none()) : host(host) {
        host.Begin(std::move(progress));
    }
    // Runs `work` without the GIL, under the session's lock.
    template <class F> auto Run(TBoard& board, F&& work) {
        py::gil_scoped_release nogil;
        std::lock_guard<std::recursive_mutex> lock(board.Lock);
        return work();
    }
    // Raises a KeyboardInterrupt or the progress callable's exception.
    void End() { host.End(); }

  private:
    TPythonHost& host;
};

namespace {

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

} // namespace

TBoardHandle::TBoardHandle(uint32_t timeLimitMs) : impl(std::make_unique<TImpl>()) {
    impl->board.SetLimits(TBoard::TLimits().WithReplyLimit(timeLimitMs));
    impl->board.OnBeep = [] {};
}

TBoardHandle::~TBoardHandle() {
    py::gil_scoped_release nogil;
    impl->watches.clear();
    impl->board.Disconnect();
}

void TBoardHandle::Connect(const std::string& design) {
    TOperation op(host);
    bool connected = false;
    op.Run(impl->board, [&] {
        TKeepCurrentDirectory keep;
        impl->watches.clear();
        impl->board.Disconnect();
        if (!design.empty())
            setenv("KBR370_DESIGN", design.c_str(), 1);
        TConnectSequence sequence(impl->board, host);
        connected = sequence.Connect();
        if (connected)
            impl->board.QueryBoardName(name);
    });
    op.End();
    if (!connected)
        throw TLinkError(host.LastFailure().empty() ? "the board is not reached"
                                                    : host.LastFailure());
}

void TBoardHandle::Disconnect() {
    py::gil_scoped_release nogil;
    impl->watches.clear();
    impl->board.Disconnect();
}

bool TBoardHandle::Connected() const { return impl->board.IsConnected(); }

std::string TBoardHandle::LinkInfo() const { return impl->board.LinkInfo; }

void TBoardHandle::LinkFailed(const std::string& what) {
    {
        py::gil_scoped_release nogil;
        // The next Connect starts afresh; the watches end without an
        // exchange once the link is closed.
        impl->board.Disconnect();
        impl->watches.clear();
    }
    throw TLinkError(host.LostReason().empty() ? what : what + ": " + host.LostReason());
}

void TBoardHandle::Failed(const std::string& what) {
    bool answers = false;
    {
        py::gil_scoped_release nogil;
        answers = impl->board.IsConnected() && impl->board.Ping();
    }
    if (!answers)
        LinkFailed(what);
    throw TBoardRefused(what);
}

void TBoardHandle::SetLeds(uint32_t bits) {
    TOperation op(host);
    if (!op.Run(impl->board, [&] { return impl->board.SetLeds(bits); }))
        Failed("setting the LEDs failed");
}

void TBoardHandle::SetSeg7(uint32_t value, uint8_t extra) {
    TOperation op(host);
    if (!op.Run(impl->board, [&] { return impl->board.SetSeg7(value, extra); }))
        Failed("setting the 7-segment digits failed");
}

uint32_t TBoardHandle::Inputs() {
    TOperation op(host);
    uint32_t value = 0;
    if (!op.Run(impl->board, [&] { return impl->board.ReadSwitchesAndKeys(value); }))
        Failed("reading the switches and keys failed");
    return value;
}

void TBoardHandle::SetLcd(const std::string& line0, const std::string& line1) {
    TOperation op(host);
    const std::vector<uint8_t> text = LcdText(line0, line1);
    bool done = false;
    if (!op.Run(impl->board, [&] {
            return impl->board.SendDeviceData(done, devices::kLcd.channel,
                                              static_cast<uint32_t>(text.size()), text.data());
        }))
        LinkFailed(devices::kLcd.failed);
    if (!done)
        throw TBoardRefused(devices::kLcd.refused);
}

void TBoardHandle::SetVga(int pattern) {
    TOperation op(host);
    const auto byte = static_cast<uint8_t>(pattern);
    bool done = false;
    if (!op.Run(impl->board, [&] {
            return impl->board.SendDeviceData(done, devices::kVga.channel, 1, &byte);
        }) ||
        !done)
        Failed(devices::kVga.refused);
}

int TBoardHandle::Usb() {
    TOperation op(host);
    const TDeviceWatch::TReading reading = op.Run(
        impl->board, [&] { return TDeviceWatch::Read(impl->board, devices::kUsb.channel); });
    if (reading.outcome == TDeviceWatch::TOutcome::LinkFailed)
        LinkFailed("reading the USB port failed");
    if (reading.outcome == TDeviceWatch::TOutcome::Refused || reading.count == 0)
        throw TBoardRefused("the board did not tell the USB port's device");
    return reading.data[0];
}

namespace {

std::string RegisterHex(const uint8_t (&bytes)[16]) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const uint8_t b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

// A field the card leaves out (0) is None.
py::object Given(uint64_t value) { return value == 0 ? py::none() : py::object(py::int_(value)); }

} // namespace

py::dict TBoardHandle::Sd() {
    TOperation op(host);
    bool done = false;
    TBoard::TSdCardRegisters registers{};
    if (!op.Run(impl->board, [&] { return impl->board.ReadSdCardRegisters(done, registers); }))
        LinkFailed(devices::kSdCard.failed);
    if (!done)
        throw TBoardRefused(std::string(devices::kSdCard.missing) + " " + devices::kSdCard.plugHint);
    const TSdCid cid = DecodeCid(registers.cid);
    const TSdCsd csd = DecodeCsd(registers.csd);
    const std::string fileSystem = FileSystemName(registers.fileSystem);
    py::dict c, d, out;
    c["manufacturer_id"] = cid.manufacturerId;
    c["oem_id"] = cid.oemId;
    c["product_name"] = cid.productName;
    c["product_revision"] = cid.revision;
    c["serial_number"] = cid.serial;
    c["date_code"] = cid.dateCode;
    c["hex"] = RegisterHex(registers.cid);
    d["version"] = Given(csd.version);
    d["read_access_time_ns"] = Given(csd.accessTimeNs);
    d["nsac"] = csd.nsac;
    d["max_transfer_rate_kbit_s"] = Given(csd.maxRateKbits);
    d["max_read_block_length"] = Given(csd.readBlockLength);
    d["capacity_mb"] = Given(csd.capacityMb);
    d["hex"] = RegisterHex(registers.csd);
    out["cid"] = c;
    out["csd"] = d;
    out["file_system"] = fileSystem == "NA" ? py::none() : py::object(py::str(fileSystem));
    out["file_system_code"] = registers.fileSystem;
    return out;
}

std::pair<uint32_t, uint64_t> TBoardHandle::Hsmc() {
    TOperation op(host);
    bool done = false;
    uint32_t mask8 = 0;
    uint64_t mask40 = 0;
    if (!op.Run(impl->board,
                [&] { return impl->board.RunLoopbackTest(done, 0, mask8, mask40); }) ||
        !done)
        Failed(devices::kHsmc.failed);
    return {mask8, mask40};
}

namespace {

using TOutcome = TMemoryTransfer::Outcome;

// What the transfer's outcome tells the script, when not Done.
std::string TransferFailure(const TMemoryTransfer::TResult& result, const char* memory) {
    return std::string(memory) + ": the transfer failed after " + std::to_string(result.done) +
           " of " + std::to_string(result.total);
}

} // namespace

py::bytes TBoardHandle::Read(const kbr::wire::TMemory& memory, uint32_t address, uint32_t count,
                             py::object progress) {
    // The bytes object is filled in place: a 128 MiB read costs 128 MiB once.
    py::bytes out(nullptr, count);
    char* buffer = PyBytes_AS_STRING(out.ptr());
    TOperation op(host, std::move(progress));
    const TMemoryTransfer::TResult result = op.Run(impl->board, [&] {
        TMemoryTransfer transfer(
            impl->board, [&](uint32_t done, uint32_t total) { host.TaskProgress(done, total); },
            [&] { return host.StopRequested(); });
        return transfer.ReadInto(memory, address, count, TMemoryTransfer::ReadPlan(),
                                 reinterpret_cast<uint8_t*>(buffer));
    });
    op.End();
    if (result.outcome != TOutcome::Done)
        LinkFailed(TransferFailure(result, memory.name));
    return out;
}

void TBoardHandle::Write(const kbr::wire::TMemory& memory, uint32_t address,
                         const py::buffer& data, py::object progress) {
    const py::buffer_info info = data.request();
    const auto count = static_cast<uint32_t>(info.size * info.itemsize);
    TOperation op(host, std::move(progress));
    const TMemoryTransfer::TResult result = op.Run(impl->board, [&] {
        TMemoryTransfer transfer(
            impl->board, [&](uint32_t done, uint32_t total) { host.TaskProgress(done, total); },
            [&] { return host.StopRequested(); });
        return transfer.Write(memory, address, static_cast<const uint8_t*>(info.ptr), count,
                              TMemoryTransfer::WritePlan());
    });
    op.End();
    if (result.outcome != TOutcome::Done)
        LinkFailed(TransferFailure(result, memory.name));
}

std::optional<uint32_t> TBoardHandle::Verify(const kbr::wire::TMemory& memory, uint32_t address,
                                             const py::buffer& data, py::object progress) {
    const py::buffer_info info = data.request();
    const auto count = static_cast<uint32_t>(info.size * info.itemsize);
    TOperation op(host, std::move(progress));
    const TMemoryTransfer::TResult result = op.Run(impl->board, [&] {
        TMemoryTransfer transfer(
            impl->board, [&](uint32_t done, uint32_t total) { host.TaskProgress(done, total); },
            [&] { return host.StopRequested(); });
        return transfer.Verify(memory, address, static_cast<const uint8_t*>(info.ptr), count,
                               TMemoryTransfer::ReadPlan());
    });
    op.End();
    if (result.outcome == TOutcome::Differs)
        return address + result.done;
    if (result.outcome != TOutcome::Done)
        LinkFailed(TransferFailure(result, memory.name));
    return std::nullopt;
}

void TBoardHandle::Erase(py::object progress) {
    TOperation op(host, std::move(progress));
    const TMemoryTransfer::TResult result = op.Run(impl->board, [&] {
        TMemoryTransfer transfer(
            impl->board, [&](uint32_t done, uint32_t total) { host.TaskProgress(done, total); },
            [&] { return host.StopRequested(); });
        return transfer.Erase();
    });
    op.End();
    if (result.outcome == TOutcome::Refused)
        throw TBoardRefused("the board refused erase step " + std::to_string(result.done));
    if (result.outcome == TOutcome::BadStepCount)
        throw TBoardRefused("the flash reports " + std::to_string(result.total) + " erase steps");
    if (result.outcome != TOutcome::Done)
        LinkFailed(TransferFailure(result, "FLASH"));
}

void TBoardHandle::Rs232Send(const std::string& bytes) {
    TOperation op(host);
    const std::vector<uint8_t> text = Rs232TransmitBytes(bytes);
    bool done = false;
    if (!op.Run(impl->board, [&] {
            return impl->board.SendDeviceData(done, devices::kRs232.channel,
                                              static_cast<uint32_t>(text.size()), text.data());
        }) ||
        !done)
        Failed(kbr::devices::kRs232TransmitFailed);
}

namespace {

const char* RefusedText(int channel) {
    for (const devices::TDevice& d : {devices::kIr, devices::kRs232, devices::kPs2})
        if (d.channel == channel)
            return d.refused;
    return "the board refused to watch the device";
}

const char* FailedText(int channel) {
    for (const devices::TDevice& d : {devices::kIr, devices::kRs232, devices::kPs2})
        if (d.channel == channel && d.failed)
            return d.failed;
    return "watching the device failed";
}

} // namespace

void TBoardHandle::WatchStart(int channel) {
    TOperation op(host);
    auto watch = std::make_unique<TDeviceWatch>(impl->board, static_cast<uint8_t>(channel));
    const TDeviceWatch::TOutcome outcome = op.Run(impl->board, [&] { return watch->Start(); });
    if (outcome == TDeviceWatch::TOutcome::LinkFailed)
        LinkFailed(FailedText(channel));
    if (outcome == TDeviceWatch::TOutcome::Refused) {
        op.Run(impl->board, [&] { watch.reset(); });
        throw TBoardRefused(RefusedText(channel));
    }
    impl->watches[channel] = std::move(watch);
}

py::bytes TBoardHandle::WatchTick(int channel) {
    auto it = impl->watches.find(channel);
    if (it == impl->watches.end())
        throw TBoardError("the device is not watched");
    TOperation op(host);
    const TDeviceWatch::TReading reading =
        op.Run(impl->board, [&] { return it->second->Tick(); });
    if (reading.outcome == TDeviceWatch::TOutcome::LinkFailed)
        LinkFailed(FailedText(channel));
    return py::bytes(reinterpret_cast<const char*>(reading.data.data()), reading.count);
}

void TBoardHandle::WatchStop(int channel) {
    auto it = impl->watches.find(channel);
    if (it == impl->watches.end())
        return;
    std::unique_ptr<TDeviceWatch> watch = std::move(it->second);
    impl->watches.erase(it);
    TOperation op(host);
    op.Run(impl->board, [&] { watch.reset(); });
}

namespace {

std::string NowUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// Writes the reports the script named; the first that cannot be written is raised.
void WriteReports(const TSelfTestReport& report, const std::map<std::string, std::string>& paths) {
    static const std::map<std::string, std::string (*)(const TSelfTestReport&)> kWriters = {
        {"junit", &JunitReportText}, {"json", &JsonReportText}, {"html", &HtmlReportText}};
    for (const auto& [kind, path] : paths) {
        const std::string text = kWriters.at(kind)(report);
        TReplacingFile file;
        if (!file.Create(path))
            throw TBoardError(file.Error());
        if (!file.Write(text.data(), text.size()) || !file.Commit())
            throw TBoardError("the " + kind + " report could not be written to " + path);
    }
}

} // namespace

TSelfTestReport TBoardHandle::SelfTest(const std::vector<std::string>& areas, bool full,
                                       bool destructive, bool rs232Loopback,
                                       const std::map<std::string, std::string>& reports,
                                       py::object progress) {
    TSelfTestReport report;
    report.toolVersion = kKbrVersion;
    report.startedUtc = NowUtc();
    const uint32_t start = platform::GetTickCount();
    report.board = name;
    report.link = impl->board.LinkInfo;
    report.full = full;
    report.destructive = destructive;
    TSelfTest::TOptions options;
    options.areas = areas;
    options.full = full;
    options.destructive = destructive;
    options.rs232Loopback = rs232Loopback;
    TSelfTest::TCallbacks callbacks;
    callbacks.progress = [&](const std::string&, uint64_t done, uint64_t total) {
        host.TaskProgress(done, total);
    };
    callbacks.aborted = [&] { return host.StopRequested(); };
    TOperation op(host, std::move(progress));
    op.Run(impl->board, [&] { TSelfTest(impl->board, options, callbacks).Run(report); });
    report.durationMs = platform::GetTickCount() - start;
    // The run has put memory back before it ends and its reports are
    // written, also after a Ctrl-C, which is raised then.
    WriteReports(report, reports);
    op.End();
    return report;
}

} // namespace kbr::python
