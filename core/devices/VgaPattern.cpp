#include "core/devices/VgaPattern.h"

#include "board/Board.h"
#include "core/devices/Devices.h"
#include "core/devices/MemoryModel.h"
#include "core/jobs/CheckRun.h"

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

void CheckVga(TCheckRun& run) {
    auto show = [&](TCheckResult& r, int pattern) {
        bool done = false;
        const auto byte = uint8_t(pattern);
        if (!run.Answered(run.Board().SendDeviceData(done, kVga.channel, 1, &byte), r,
                          "setting the VGA pattern failed"))
            return false;
        if (!done) {
            r.result = TCheckResult::Result::Failed;
            r.message = kVga.refused;
        }
        return done;
    };
    if (!run.Options().interactive) {
        run.Check("vga", "patterns", [&](TCheckResult& r) {
            for (int p = 0; p < kVgaPatternCount; ++p) {
                if (!show(r, p))
                    return;
                run.Pause(100);
            }
            r.message = "the six patterns shown in turn";
            run.Verdict(r, {});
        });
        return;
    }
    for (int p = 0; p < kVgaPatternCount; ++p)
        run.Check("vga", kVgaPatternNames[size_t(p)], [&](TCheckResult& r) {
            if (!show(r, p))
                return;
            r.message = std::string(kVgaPatternNames[size_t(p)]) + " shown";
            run.Verdict(r, FormatText("Does the VGA screen show the %s pattern?",
                                      kVgaPatternNames[size_t(p)]));
        });
}

} // namespace kbr::devices
