#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "wire/Memories.h"

class TContentEncoder;

class TBoard;
class THost;

// Memory transfers and the flash erase over a board session, one exchange at a
// time: the one chunked loop for the panel, the CLI and the memory checks.
// After every exchange the host hears how far the work got (TaskProgress: bytes,
// for the erase steps) and is asked whether to stop (StopRequested); what it
// shows of that, and the words it finds for the outcome, are its own.
class TMemoryTransfer {
  public:
    using TMemory = kbr::wire::TMemory;
    // Receives each run of bytes a read brings; false ends the read.
    using Sink = std::function<bool(const uint8_t* data, uint32_t count)>;
    // Takes bytes for a file; false when they could not be written.
    using FileWriter = std::function<bool(const void* data, size_t count)>;
    // Hears a run of bytes (offset into the transfer, count) that still failed
    // after its tries; true goes on with the rest, false hands the rest over
    // at once, untried, and ends the work.
    using LeftBehind = std::function<bool(uint32_t offset, uint32_t count)>;

    // How a transfer is cut up.
    struct TPlan {
        uint32_t exchange = 0; // most bytes one exchange carries
        uint32_t step = 1;     // progress is told in whole steps, and at the end
        bool ping = false;     // a keep-alive first, and before every write exchange
        int tries = 1;         // how often a failed exchange is tried in all
        // The stop question comes before every exchange, the first too, and
        // not after the last; progress is then told after every exchange.
        bool askFirst = false;
    };

    enum class Outcome {
        Done,
        Aborted,
        NotAnswering, // the keep-alive before the transfer failed
        LinkFailed,   // an exchange failed
        Refused,      // the board refused an erase step
        SinkFailed,   // the receiver of the bytes gave up
        Differs,      // a verify found a byte that differs
        BadStepCount, // the flash reports an erase step count it cannot have
    };
    struct TResult {
        Outcome outcome = Outcome::Done;
        uint32_t done = 0;  // bytes or erase steps done before the work ended
        uint32_t total = 0; // bytes or erase steps the work was to do
        // The erase: whether a step failed or was refused (even if an
        // Abort came first), which leaves the link in doubt.
        bool stepFailed = false;
        // Differs: the board's byte and the expected one, at offset `done`.
        uint8_t boardByte = 0;
        uint8_t expectedByte = 0;
        uint32_t elapsedMs = 0; // the erase: how long it took
        bool Ok() const { return outcome == Outcome::Done; }
    };

    TMemoryTransfer(TBoard& board, THost& host);
    // Work that no one hears of and that nothing stops (a write-back).
    explicit TMemoryTransfer(TBoard& board);

    // The panel's plans: a twentieth of the total is a step of its per-cent
    // texts, and each exchange carries a step at the most.
    static TPlan PanelReadPlan(uint32_t total);
    static TPlan PanelWritePlan(uint32_t total);
    // The largest exchanges, progress after each.
    static TPlan ReadPlan();
    static TPlan WritePlan();

    TResult Read(const TMemory& memory, uint32_t address, uint32_t count, const TPlan& plan,
                 const Sink& sink);
    // Reads into a content file: each run as `encoder` turns it into the
    // file's bytes, and once all are read, what closes the file.
    TResult ReadToFile(const TMemory& memory, uint32_t address, uint32_t count, const TPlan& plan,
                       TContentEncoder& encoder, const FileWriter& write);
    // Reads into `out`.
    TResult ReadInto(const TMemory& memory, uint32_t address, uint32_t count, const TPlan& plan,
                     uint8_t* out);
    // With `left`, a run that fails does not end the write (see LeftBehind).
    TResult Write(const TMemory& memory, uint32_t address, const uint8_t* data, uint32_t count,
                  const TPlan& plan, const LeftBehind& left = {});
    // Reads the range back and compares it with `data`; Differs at the first
    // byte that does not match.
    TResult Verify(const TMemory& memory, uint32_t address, const uint8_t* data, uint32_t count,
                   const TPlan& plan);
    // Erases the whole flash step by step, each step under the session's Lock.
    TResult Erase();
    // What went wrong with an erase that did not end Done (nor Aborted), as
    // every front end says it.
    static std::string EraseFailure(const TResult& result);
    // Starts erase step (or sector) `step` under the session's Lock; false
    // when the link failed, `done` false when the board refused it.
    static bool EraseStep(TBoard& board, uint16_t step, bool& done);

  private:
    // Moves `count` bytes from `offset` on; Done to go on.
    using Exchange = std::function<Outcome(uint32_t offset, uint32_t count)>;
    // The exchanges of a transfer, with the plan's keep-alive, progress and abort checks.
    TResult Exchanges(uint32_t count, const TPlan& plan, const Exchange& exchange,
                      const LeftBehind& left = {});
    TResult EraseSteps();
    // Tells the progress in whole steps; then whether to stop.
    bool StepAndCheck(uint32_t done, uint32_t total, uint32_t step);
    void TellProgress(uint32_t done, uint32_t total) const;
    bool Aborted() const;

    TBoard& board;
    THost* host = nullptr;
};
