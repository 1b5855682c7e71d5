#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/jobs/CheckResult.h"
#include "core/jobs/SelfTestReport.h"

class TBoard;
class THost;

// What a device's self-test checks run in: the board, how the run was asked
// for, the person through the host, and the frame of each check: it is timed
// and added to the report as it ends, and a lost link or a stop ends the run
// for every check after it. Each device's checks are written beside its
// operations; the self test runs them area by area.
class TCheckRun {
  public:
    using TResult = TCheckResult::Result;
    using Body = std::function<void(TCheckResult&)>;
    using CheckDone = std::function<void(const TCheckResult&)>;
    using Clock = std::chrono::steady_clock;

    struct TOptions {
        bool full = false;          // the march over each whole memory
        bool destructive = false;   // the flash is erased and programmed
        bool interactive = false;   // a person answers through the host
        bool rs232Loopback = false; // a loopback plug is in the serial port
        // How long a person has to press a key or move a switch.
        uint32_t inputWaitMs = 30000;
    };

    static constexpr const char* kNeedsPerson = "needs a person (--interactive)";

    TCheckRun(TBoard& board, const TOptions& options, THost& host, TSelfTestReport& report,
              CheckDone each);

    TBoard& Board() { return board; }
    THost& Host() { return host; }
    const TOptions& Options() const { return options; }

    // Runs `body` as check `name` of `area` and adds it, unless the run has
    // stopped; false once it has.
    bool Check(const std::string& area, const std::string& name, const Body& body);
    // A check made elsewhere (the memory checks) and what it left changed.
    void Add(TCheckResult result);
    void LeftChanged(const std::vector<TPatternRange>& ranges);
    // What a part of the run made elsewhere met: a lost link, a stop.
    void Note(bool linkLost, bool aborted);

    // False when an exchange failed; then whether the link is gone is told
    // by a keep-alive, and `result` fails with `what`.
    bool Answered(bool ok, TCheckResult& result, const std::string& what);
    bool Stopped() const { return linkLost || aborted; }
    bool LinkLost() const { return linkLost; }
    // Whether the host asked to stop; noted for the rest of the run.
    bool StopAsked();
    void Pause(uint32_t ms);
    // A shown pattern: asked of the person, or skipped for want of one.
    void Verdict(TCheckResult& result, const std::string& question);
    // The check that a watched channel's monitoring mode goes on and off again.
    void Monitoring(const std::string& area, uint8_t channel, const char* refused);

    static uint32_t MsSince(Clock::time_point start);

  private:
    TBoard& board;
    const TOptions& options;
    THost& host;
    TSelfTestReport& report;
    CheckDone checkDone;
    bool linkLost = false;
    bool aborted = false;
};
