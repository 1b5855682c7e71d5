#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vboard {

// Spoilt replies for tests of the PC side's failure paths. Faults are taken in
// the order they were armed; each lasts for its count of replies.
class TFaultQueue {
  public:
    enum class Kind {
        None,
        Drop,
        BadChecksum,
        BadStart,
        BadEnd,
        WrongCommand,
        WrongLength,
        Garbage,
        Stall,
        Truncate,
        Status,
        Disconnect
    };
    struct TFault {
        Kind kind = Kind::None;
        uint32_t value = 0; // n of garbage/truncate/status, ms of stall
    };
    // What to do with one reply.
    struct TOutcome {
        std::vector<uint8_t> bytes; // what goes on the wire
        uint32_t delayMs = 0;
        bool disconnect = false;
    };

    static constexpr uint32_t kMaxGarbage = 1u << 20;
    static constexpr uint32_t kMaxStallMs = 600000;

    // Parses "drop", "garbage:12", ...; nullopt when the text is not a fault.
    static std::optional<TFault> Parse(const std::string& text);
    // The kinds as Parse takes them, for help: "drop, ..., garbage:<n>, ...".
    static std::string KindNames();

    void Arm(TFault fault, uint32_t count);
    void Clear() { pending.clear(); }
    bool Empty() const { return pending.empty(); }
    size_t Pending() const;

    // The fault for the next reply (Kind::None when there is none).
    TFault Take();

    // Builds the reply frame as the fault spoils it.
    static TOutcome Apply(TFault fault, uint8_t command, const std::vector<uint8_t>& payload);

  private:
    struct TArmed {
        TFault fault;
        uint32_t left;
    };
    std::deque<TArmed> pending;
};

} // namespace vboard
