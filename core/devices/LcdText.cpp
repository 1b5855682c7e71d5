#include "core/devices/LcdText.h"

#include <fmt/format.h>

#include "board/Board.h"

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

} // namespace kbr::devices
