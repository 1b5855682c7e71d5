#include "core/devices/Rs232Text.h"

#include <algorithm>
#include <cstdio>

#include "board/Board.h"
#include "core/DeviceWatch.h"
#include "core/devices/Devices.h"
#include "core/devices/MemoryModel.h"
#include "core/jobs/CheckRun.h"

std::vector<uint8_t> Rs232TransmitBytes(std::string_view text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

std::string Rs232StreamText(const uint8_t* data, uint32_t count) {
    std::string text;
    text.reserve(count);
    std::copy_if(data, data + count, std::back_inserter(text), [](uint8_t b) { return b != 0; });
    return text;
}

std::string EscapeForTerminal(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\\')
            out += "\\\\";
        else if ((b >= 0x20 && b < 0x7F) || b == '\n' || b == '\t')
            out += c;
        else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

namespace kbr::devices {

TDeviceResult Rs232Send(TBoardConnection& connection, std::string_view text) {
    const std::vector<uint8_t> bytes = Rs232TransmitBytes(text);
    // Sending has words of its own, whichever way it failed.
    return RunExchange(connection, kRs232TransmitFailed, kRs232TransmitFailed,
                       [&bytes](TBoard& b, bool& done) {
                           return b.SendDeviceData(done, kRs232.channel,
                                                   static_cast<uint32_t>(bytes.size()),
                                                   bytes.data());
                       });
}

TDeviceValue<std::vector<uint8_t>> Rs232Receive(TBoardConnection& connection,
                                                TDeviceWatch& watch) {
    auto received = PollWatch(connection, watch, DeviceRow("RS232"));
    // The board refusing a read means nothing came in.
    if (received.outcome == TOutcome::Refused)
        received.reason = kRs232.failed;
    return received;
}

namespace {

constexpr uint32_t kLoopbackWaitMs = 2000;

void CheckLoopback(TCheckRun& run) {
    using TResult = TCheckResult::Result;
    run.Check("rs232", "loopback", [&](TCheckResult& r) {
        if (!run.Options().rs232Loopback) {
            r.result = TResult::Skipped;
            r.message = "needs a loopback plug (--rs232-loopback)";
            return;
        }
        const uint8_t channel = kRs232.channel;
        std::vector<uint8_t> sent;
        for (int c = 0x20; c < 0x7F; ++c)
            sent.push_back(uint8_t(c));
        r.details = {{"bytes", std::to_string(sent.size())}};
        using TOutcome = TDeviceWatch::TOutcome;
        TDeviceWatch watch(run.Board(), channel);
        if (!run.Answered(watch.Start() != TOutcome::LinkFailed, r,
                          "switching monitoring on failed"))
            return;
        // Whatever arrived before is not ours.
        for (int i = 0; i < 8; ++i)
            if (watch.Tick().count == 0)
                break;
        bool done = false;
        bool ok = run.Board().SendDeviceData(done, channel, uint32_t(sent.size()), sent.data());
        const bool refused = ok && !done;
        std::vector<uint8_t> got;
        const TCheckRun::Clock::time_point start = TCheckRun::Clock::now();
        while (ok && !refused && got.size() < sent.size() &&
               TCheckRun::MsSince(start) < kLoopbackWaitMs) {
            const TDeviceWatch::TReading reading = watch.Tick();
            ok = reading.outcome != TOutcome::LinkFailed;
            got.insert(got.end(), reading.data.begin(), reading.data.begin() + reading.count);
            if (ok && reading.count == 0)
                run.Pause(20);
        }
        const bool switchedOff = watch.Stop() != TOutcome::LinkFailed;
        if (!run.Answered(ok && switchedOff, r, kRs232.failed))
            return;
        if (refused) {
            r.result = TResult::Failed;
            r.message = kRs232TransmitFailed;
            return;
        }
        r.message = FormatText("%zu bytes sent came back alike", sent.size());
        if (got != sent) {
            const auto differ = std::mismatch(got.begin(), got.end(), sent.begin());
            r.result = TResult::Failed;
            r.message =
                got.size() < sent.size() && differ.first == got.end()
                    ? FormatText("%zu of %zu bytes came back", got.size(), sent.size())
                    : FormatText("byte %zu came back as 0x%02X, sent 0x%02X",
                                 size_t(differ.first - got.begin()), *differ.first, *differ.second);
        }
    });
}

} // namespace

void CheckRs232(TCheckRun& run) {
    run.Monitoring("rs232", kRs232.channel, kRs232.refused);
    CheckLoopback(run);
}

} // namespace kbr::devices
