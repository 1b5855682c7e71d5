#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/devices/DeviceTable.h"

class TBoard;
class TBoardConnection;
namespace kbr {
class TDeviceWatch;
}

// How one device operation ended, for every front end alike: done, refused by
// the board, or the link failed. `reason` is the device table's text for the
// failure, as a front end shows it; it is empty when the operation was done.
// The operations never print: the front end decides what to do with it.
namespace kbr::devices {

enum class TOutcome {
    Ok,
    Refused,    // the board answered, and said no
    LinkFailed, // the exchange itself failed; the connection has dropped the link
};

struct TDeviceResult {
    TOutcome outcome = TOutcome::Ok;
    std::string reason;

    bool Ok() const { return outcome == TOutcome::Ok; }

    static TDeviceResult Done() { return {}; }
    static TDeviceResult Refused(std::string reason) { return {TOutcome::Refused, std::move(reason)}; }
    static TDeviceResult LinkFailed(std::string reason) {
        return {TOutcome::LinkFailed, std::move(reason)};
    }
};

// An operation that reads something: its result, and the value when done.
template <typename T>
struct TDeviceValue : TDeviceResult {
    T value{};

    TDeviceValue() = default;
    TDeviceValue(TDeviceResult result, T value = {})
        : TDeviceResult(std::move(result)), value(std::move(value)) {}
};

// A watched channel's failures where its row has no words of its own.
inline constexpr const char* kWatchStartFailed = "switching on monitoring mode failed";
inline constexpr const char* kWatchReadFailed = "reading from the board failed";

// The words of `row` for a failure, as a line: its own line text, else the
// panel's (empty when it has neither).
std::string FailedText(const TDeviceRow& row);
std::string RefusedText(const TDeviceRow& row);

// The operations' one exchange, for the device files: `exchange` returns
// whether the link worked and sets `done` to the board's own answer. A link
// failure drops the link (the connection tells its host); the reasons are
// the row's.
using TAnsweredExchange = std::function<bool(TBoard& board, bool& done)>;
TDeviceResult RunExchange(TBoardConnection& connection, const TDeviceRow& row,
                          const TAnsweredExchange& exchange);
// The same for a command the board does not answer beyond its status.
TDeviceResult RunPlain(TBoardConnection& connection, const TDeviceRow& row,
                       const std::function<bool(TBoard& board)>& exchange);

// One poll of a watched channel (the watch's mode switched on): the bytes
// that arrived since the last. Refused with the row's words when the board
// said no.
TDeviceValue<std::vector<uint8_t>> PollWatch(TBoardConnection& connection, TDeviceWatch& watch,
                                             const TDeviceRow& row);

} // namespace kbr::devices
