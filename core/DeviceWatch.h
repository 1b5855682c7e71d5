#pragma once
#include <array>
#include <cstdint>

#include "board/Board.h"

class TBoardConnection;

namespace kbr {

// One device channel watched: monitoring mode on, polled, off again. It has no
// timer of its own; the front end ticks it at its own pace. The caller holds
// whatever lock the board needs around each call.
class TDeviceWatch {
  public:
    enum class TOutcome {
        Ok,
        Refused,    // the board answered no
        LinkFailed, // the exchange itself failed
    };

    struct TReading {
        TOutcome outcome = TOutcome::LinkFailed;
        uint32_t count = 0; // 0 unless the board answered with data
        std::array<uint8_t, TBoard::kDeviceChunk> data{};
        bool Full() const { return outcome == TOutcome::Ok && count == TBoard::kDeviceChunk; }
    };

    TDeviceWatch(TBoard& board, uint8_t channel) : board(board), channel(channel) {}
    // On the board of a connection (kbr370, the Python module).
    TDeviceWatch(TBoardConnection& connection, uint8_t channel);
    ~TDeviceWatch() { Stop(); }
    TDeviceWatch(const TDeviceWatch&) = delete;
    TDeviceWatch& operator=(const TDeviceWatch&) = delete;

    // Monitoring mode on. Unless the link failed, Stop() switches it off
    // again, also after a refusal: nothing stays on behind us.
    TOutcome Start();
    // One poll of the channel.
    TReading Tick() { return Read(board, channel); }
    // Monitoring mode off; once only, and only after Start() reached the board.
    TOutcome Stop();

    // The single exchanges, for a front end that keeps the mode's lifetime
    // itself (the panel's pages switch it as they are shown and hidden).
    static TOutcome SetMode(TBoard& board, uint8_t channel, bool on);
    static TReading Read(TBoard& board, uint8_t channel);

  private:
    TBoard& board;
    uint8_t channel;
    bool started = false;
};

} // namespace kbr
