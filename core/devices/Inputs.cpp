#include "core/devices/Inputs.h"

#include <string>
#include <tuple>
#include <vector>

#include "board/Board.h"
#include "core/Host.h"
#include "core/devices/DeviceTable.h"
#include "core/devices/MemoryModel.h"
#include "core/jobs/CheckRun.h"

namespace kbr::devices {

TDeviceValue<TInputs> ReadInputs(TBoardConnection& connection) {
    TInputs inputs;
    TDeviceResult result = RunPlain(connection, DeviceRow("SW"), [&inputs](TBoard& b) {
        return b.ReadSwitchesAndKeys(inputs.value);
    });
    return {std::move(result), inputs};
}

namespace {

const std::string kInputsFailed = FailedText(DeviceRow("SW"));

// An input counts once its bit has differed from the value at the start, at
// any poll since: a key pressed and let go, or a switch moved before it was
// asked for, is seen all the same.
void WaitForInputs(TCheckRun& run, TCheckResult& r, int firstBit, int count, const char* what) {
    uint32_t start = 0, now = 0, changed = 0;
    if (!run.Answered(run.Board().ReadSwitchesAndKeys(start), r, kInputsFailed))
        return;
    std::vector<std::string> missed;
    for (int i = 0; i < count && !run.Stopped(); ++i) {
        const uint32_t bit = 1u << (firstBit + i);
        if (!(changed & bit))
            run.Host().Tell(FormatText("%s %d", what, i));
        const TCheckRun::Clock::time_point asked = TCheckRun::Clock::now();
        while (!(changed & bit) && TCheckRun::MsSince(asked) < run.Options().inputWaitMs) {
            if (run.StopAsked())
                return;
            run.Pause(50);
            if (!run.Answered(run.Board().ReadSwitchesAndKeys(now), r, kInputsFailed))
                return;
            changed |= now ^ start;
        }
        if (!(changed & bit))
            missed.push_back(std::to_string(i));
    }
    r.details = {{"count", std::to_string(count)}, {"missed", std::to_string(missed.size())}};
    r.message = FormatText("all %d seen through the board", count);
    if (!missed.empty()) {
        std::string list;
        for (const std::string& m : missed) {
            list += (list.empty() ? "" : ", ") + m;
            r.failures.push_back({{"input", std::string(what) + " " + m}});
        }
        r.result = TCheckResult::Result::Failed;
        r.message = "not seen: " + list;
    }
}

} // namespace

void CheckInputs(TCheckRun& run) {
    const bool person = run.Options().interactive;
    // The board's value: keys in bits 0-3, switches in bits 4-21.
    for (const auto& [name, first, count, what] :
         {std::tuple{"keys", 0, kKeyCount, "press key"},
          std::tuple{"switches", kKeyCount, kSwitchCount, "move switch"}}) {
        run.Check("inputs", name, [&](TCheckResult& r) {
            if (person)
                return WaitForInputs(run, r, first, count, what);
            uint32_t value = 0;
            if (!run.Answered(run.Board().ReadSwitchesAndKeys(value), r, kInputsFailed))
                return;
            r.result = TCheckResult::Result::Skipped;
            r.message = FormatText("%s; read as 0x%08X", TCheckRun::kNeedsPerson, value);
        });
    }
}

} // namespace kbr::devices
