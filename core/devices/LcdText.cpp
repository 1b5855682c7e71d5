#include "core/devices/LcdText.h"

#include <fmt/format.h>

#include "board/Board.h"
#include "core/devices/Devices.h"
#include "core/jobs/CheckRun.h"

std::vector<uint8_t> LcdText(const std::string& line0, const std::string& line1) {
    const std::string text = line0 + '\n' + line1 + '\n';
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

namespace kbr::devices {

std::string LcdLineFault(const std::string& line, int number) {
    if (line.size() > kLcdLineLength)
        return fmt::format("line {} has {} characters; the display shows at most {}", number,
                           line.size(), kLcdLineLength);
    for (const char c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return fmt::format("line {} holds a control character", number);
    return {};
}

TDeviceResult SetLcdText(TBoardConnection& connection, const std::string& line0,
                         const std::string& line1) {
    const TDeviceRow& row = DeviceRow("LCD");
    const std::vector<uint8_t> text = LcdText(line0, line1);
    return RunExchange(connection, row, [&](TBoard& b, bool& done) {
        return b.SendDeviceData(done, static_cast<uint8_t>(row.channel),
                                static_cast<uint32_t>(text.size()), text.data());
    });
}

void CheckLcd(TCheckRun& run) {
    run.Check("lcd", "text", [&](TCheckResult& r) {
        const std::string top = "KBR-370 selftest", bottom = "0123456789ABCDEF";
        const std::vector<uint8_t> text = LcdText(top, bottom);
        bool done = false;
        if (!run.Answered(
                run.Board().SendDeviceData(done, kLcd.channel, uint32_t(text.size()), text.data()),
                r, kLcd.failed))
            return;
        if (!done) {
            r.result = TCheckResult::Result::Failed;
            r.message = kLcd.refused;
            return;
        }
        r.message = "\"" + top + "\" / \"" + bottom + "\" shown";
        run.Verdict(r, "Does the LCD show \"" + top + "\" above \"" + bottom + "\"?");
    });
}

} // namespace kbr::devices
