#include "core/devices/DeviceResult.h"

#include "core/BoardConnection.h"
#include "core/DeviceWatch.h"

namespace kbr::devices {

std::string FailedText(const TDeviceRow& row) {
    const char* text = row.line.failed ? row.line.failed : row.texts.failed;
    return text ? text : "";
}

std::string RefusedText(const TDeviceRow& row) {
    const char* text = row.line.refused ? row.line.refused : row.texts.refused;
    return text ? text : "";
}

TDeviceResult RunExchange(TBoardConnection& connection, const TDeviceRow& row,
                          const TAnsweredExchange& exchange) {
    bool done = false;
    if (!connection.Exchange([&](TBoard& board) { return exchange(board, done); },
                             FailedText(row)))
        return TDeviceResult::LinkFailed(FailedText(row));
    return done ? TDeviceResult::Done() : TDeviceResult::Refused(RefusedText(row));
}

TDeviceResult RunPlain(TBoardConnection& connection, const TDeviceRow& row,
                       const std::function<bool(TBoard& board)>& exchange) {
    if (!connection.Exchange(exchange, FailedText(row)))
        return TDeviceResult::LinkFailed(FailedText(row));
    return TDeviceResult::Done();
}

TDeviceValue<std::vector<uint8_t>> PollWatch(TBoardConnection& connection, TDeviceWatch& watch,
                                             const TDeviceRow& row) {
    TDeviceWatch::TReading reading;
    if (!connection.Exchange(
            [&](TBoard&) {
                reading = watch.Tick();
                return reading.outcome != TDeviceWatch::TOutcome::LinkFailed;
            },
            kWatchReadFailed))
        return TDeviceResult::LinkFailed(kWatchReadFailed);
    if (reading.outcome == TDeviceWatch::TOutcome::Refused)
        return TDeviceResult::Refused(RefusedText(row));
    return {TDeviceResult::Done(),
            std::vector<uint8_t>(reading.data.begin(), reading.data.begin() + reading.count)};
}

} // namespace kbr::devices
