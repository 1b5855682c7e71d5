#include "core/devices/Leds.h"

#include "board/Board.h"
#include "core/BoardConnection.h"
#include "core/devices/DeviceTable.h"
#include "core/jobs/CheckRun.h"

namespace kbr::devices {

TDeviceResult SetLeds(TBoardConnection& connection, uint32_t bits) {
    return RunPlain(connection, DeviceRow("LED"), [bits](TBoard& b) { return b.SetLeds(bits); });
}

void CheckLeds(TCheckRun& run) {
    static const std::string failed = FailedText(DeviceRow("LED"));
    run.Check("leds", "walking light", [&](TCheckResult& r) {
        TBoard& board = run.Board();
        for (int i = 0; i < kLedCount; ++i) {
            if (!run.Answered(board.SetLeds(1u << i), r, failed))
                return;
            run.Pause(run.Options().interactive ? 80 : 10);
        }
        if (!run.Answered(board.SetLeds(kAllLeds), r, failed))
            return;
        r.message = "the 27 LEDs lit one after another, then all";
        run.Verdict(r, "Did the 27 LEDs light one after another, and are they all lit now?");
        board.SetLeds(0);
    });
}

} // namespace kbr::devices
