#include "core/DeviceWatch.h"

#include "core/BoardConnection.h"

namespace kbr {

namespace {

TDeviceWatch::TOutcome OutcomeOf(bool linkOk, bool done) {
    if (!linkOk)
        return TDeviceWatch::TOutcome::LinkFailed;
    return done ? TDeviceWatch::TOutcome::Ok : TDeviceWatch::TOutcome::Refused;
}

} // namespace

TDeviceWatch::TDeviceWatch(TBoardConnection& connection, uint8_t channel)
    : TDeviceWatch(connection.Board(), channel) {}

TDeviceWatch::TOutcome TDeviceWatch::Start() {
    const TOutcome outcome = SetMode(board, channel, true);
    started = outcome != TOutcome::LinkFailed;
    return outcome;
}

TDeviceWatch::TOutcome TDeviceWatch::Stop() {
    if (!started)
        return TOutcome::Ok;
    started = false;
    return SetMode(board, channel, false);
}

TDeviceWatch::TOutcome TDeviceWatch::SetMode(TBoard& board, uint8_t channel, bool on) {
    bool done = false;
    const bool linkOk = board.SetDeviceMode(done, channel, on ? 1 : 0);
    return OutcomeOf(linkOk, done);
}

TDeviceWatch::TReading TDeviceWatch::Read(TBoard& board, uint8_t channel) {
    TReading reading;
    bool done = false;
    uint32_t count = 0;
    const bool linkOk = board.ReadDeviceData(done, channel, count, reading.data.data());
    reading.outcome = OutcomeOf(linkOk, done);
    if (reading.outcome == TOutcome::Ok)
        reading.count = count;
    return reading;
}

} // namespace kbr
