#include "core/devices/VgaPattern.h"

#include "board/Board.h"

#include <cctype>

VgaRgb VgaPreviewColour(int pattern, int row, int column) {
    switch (pattern) {
    case 0: {
        const auto v = static_cast<uint8_t>((16 * column) % 256);
        switch (row) {
        case 0:
            return {v, 0, 0};
        case 1:
            return {0, v, 0};
        case 2:
            return {0, 0, v};
        default:
            return {v, v, v};
        }
    }
    case 1:
        return {0xFF, 0x00, 0x00};
    case 2:
        return {0x00, 0x80, 0x00}; // the board's green is half bright
    case 3:
        return {0x00, 0x00, 0xFF};
    case 4:
        return {0xFF, 0xFF, 0xFF};
    default:
        return {0x00, 0x00, 0x00};
    }
}

std::optional<int> ParseVgaPattern(std::string_view text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + kVgaPatternCount)
        return text[0] - '0';
    auto sameName = [text](std::string_view name) {
        if (name.size() != text.size())
            return false;
        for (size_t i = 0; i < name.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(name[i])) !=
                std::tolower(static_cast<unsigned char>(text[i])))
                return false;
        return true;
    };
    for (int i = 0; i < kVgaPatternCount; ++i)
        if (sameName(kVgaPatternNames[i]))
            return i;
    return std::nullopt;
}

namespace kbr::devices {

TDeviceResult SetVgaPattern(TBoardConnection& connection, uint8_t pattern) {
    const TDeviceRow& row = DeviceRow("VGA");
    return RunExchange(connection, row, [&](TBoard& b, bool& done) {
        b.FlushInput();
        return b.SendDeviceData(done, static_cast<uint8_t>(row.channel), 1, &pattern);
    });
}

} // namespace kbr::devices
