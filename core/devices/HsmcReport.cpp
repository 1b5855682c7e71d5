#include "core/devices/HsmcReport.h"

#include <cstdio>

#include "board/Board.h"
#include "core/devices/Devices.h"
#include "core/devices/MemoryModel.h"
#include "core/jobs/CheckRun.h"

namespace {

// A report line less its padding and line end.
std::string Trimmed(std::string line) {
    line.erase(line.find_last_not_of(" \r\n") + 1);
    return line;
}

} // namespace

std::string HsmcTransceiverLine(int group) {
    const int b = 31 - 4 * group;
    char line[64];
    std::snprintf(line, sizeof line, "HSMC Pin %d/%d-%d/%d    \r\n", b, b - 2, b + 1, b - 1);
    return line;
}

std::string HsmcPinPairLine(int pair) {
    // Two pairs in every six connector pins; the fifth and sixth are not looped.
    const int p = 41 + 6 * (pair / 2) + 2 * (pair % 2);
    char line[64];
    std::snprintf(line, sizeof line, "HSMC Pin %d-%d    \r\n", p, p + 1);
    return line;
}

std::string HsmcReportText(uint32_t mask8, uint64_t mask40) {
    std::string text = "HSMC Test:NG\r\n";
    if (mask8 != 0) {
        text += "<Transceiver Error:>\r\n";
        for (int i = 0; i < 4; ++i)
            if (mask8 & (1u << i))
                text += HsmcTransceiverLine(i);
    }
    if (mask40 != 0) {
        text += "<Pio Error:>\r\n";
        for (int j = 0; j < 40; ++j)
            if (mask40 & (uint64_t{1} << j))
                text += HsmcPinPairLine(j);
    }
    return text;
}

std::vector<std::string> HsmcReportLines(uint32_t mask8, uint64_t mask40) {
    const std::string text = HsmcReportText(mask8, mask40);
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(Trimmed(text.substr(start, end - start)));
        start = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
}

namespace kbr::devices {

THsmcResult HsmcResultOf(uint32_t mask8, uint64_t mask40) {
    THsmcResult result{mask8, mask40, {}, {}};
    for (int g = 0; g < 4; ++g)
        if (mask8 >> g & 1)
            result.transceiverErrors.push_back(Trimmed(HsmcTransceiverLine(g)));
    for (int j = 0; j < 40; ++j)
        if (mask40 >> j & 1)
            result.pioErrors.push_back(Trimmed(HsmcPinPairLine(j)));
    return result;
}

TDeviceValue<THsmcResult> RunHsmcTest(TBoardConnection& connection) {
    uint32_t mask8 = 0;
    uint64_t mask40 = 0;
    // A test the board would not run did not pass either: it says so alike.
    TDeviceResult result =
        RunExchange(connection, kHsmc.failed, kHsmc.failed, [&](TBoard& b, bool& done) {
            return b.RunLoopbackTest(done, 0, mask8, mask40);
        });
    if (!result.Ok())
        return result;
    return {std::move(result), HsmcResultOf(mask8, mask40)};
}

void CheckHsmc(TCheckRun& run) {
    using TResult = TCheckResult::Result;
    run.Check("hsmc", "loopback", [&](TCheckResult& r) {
        bool done = false;
        uint32_t mask8 = 0;
        uint64_t mask40 = 0;
        if (!run.Answered(run.Board().RunLoopbackTest(done, 0, mask8, mask40), r, kHsmc.failed))
            return;
        if (!done) {
            r.result = TResult::Failed;
            r.message = std::string(kHsmc.failed) + ": the board refused it";
            return;
        }
        r.details = {{"transceiver_mask", FormatText("0x%02X", mask8)},
                     {"pio_mask", FormatText("0x%010llX", (unsigned long long)mask40)}};
        r.message = "every pin loops back";
        if (HsmcPassed(mask8, mask40))
            return;
        // The failing pins as the page lists them.
        const THsmcResult found = HsmcResultOf(mask8, mask40);
        std::string pins;
        for (const auto& [group, lines] : {std::pair{"transceiver", &found.transceiverErrors},
                                           std::pair{"pio", &found.pioErrors}})
            for (const std::string& line : *lines) {
                r.failures.push_back({{"group", group}, {"pins", line}});
                pins += (pins.empty() ? "" : ", ") + line;
            }
        r.result = TResult::Failed;
        r.message = std::string(kHsmc.ng) + ": " + pins;
    });
}

} // namespace kbr::devices
