#include "core/devices/Seg7Digits.h"

#include "board/Board.h"
#include "core/BoardConnection.h"
#include "core/jobs/CheckRun.h"

int StepSeg7Digit(int digit, bool up) {
    return (digit + (up ? 1 : 15)) & 0xF;
}

uint32_t PackSeg7Digits(const Seg7Digits& digits) {
    uint32_t value = 0;
    for (int d = 0; d < kSeg7DigitCount; ++d)
        value |= (static_cast<uint32_t>(digits[d]) & 0xF) << (4 * d);
    return value;
}

namespace kbr::devices {

TDeviceResult SetSeg7(TBoardConnection& connection, uint32_t value, uint8_t extra) {
    return RunPlain(connection, DeviceRow("SEG7"), [&](TBoard& b) { return b.SetSeg7(value, extra); });
}

void CheckSeg7(TCheckRun& run) {
    run.Check("seg7", "digits", [&](TCheckResult& r) {
        TBoard& board = run.Board();
        for (uint32_t d = 0; d < 16; ++d) {
            if (!run.Answered(board.SetSeg7(d * 0x11111111u, 0), r, "setting the display failed"))
                return;
            run.Pause(run.Options().interactive ? 150 : 10);
        }
        if (!run.Answered(board.SetSeg7(0x01234567, 0), r, "setting the display failed"))
            return;
        r.message = "every digit stepped through 0-F, then 01234567";
        run.Verdict(r, "Did every digit step through 0-F, and does the display show 01234567 now?");
    });
}

} // namespace kbr::devices
