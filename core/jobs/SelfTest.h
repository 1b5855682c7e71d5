#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/jobs/CheckResult.h"
#include "core/jobs/MemoryCheck.h"
#include "core/jobs/SelfTestReport.h"

class TBoard;

// The board checked area by area over a connected session, each check's
// outcome added to a TSelfTestReport as it ends. Checks that need a person's
// eyes or hands ask through TPerson in an interactive run; without one they
// drive a visible pattern and are reported as skipped. A link that fails and
// does not answer a keep-alive any more ends the run there: the report then
// says how far it got.
class TSelfTest {
  public:
    // Every area, in the order a run takes them.
    static const std::vector<std::string>& Areas();

    struct TOptions {
        std::vector<std::string> areas = Areas(); // the ones to run
        bool full = false;                        // the march over each whole memory
        bool destructive = false;                 // the flash is erased and programmed
        bool interactive = false;                 // a person answers through TPerson
        bool rs232Loopback = false;
        // How long a person has to press a key or move a switch.
        uint32_t inputWaitMs = 30000;
    };

    // The person at the board.
    struct TPerson {
        std::function<bool(const std::string& question)> confirm; // a yes or no
        std::function<void(const std::string& instruction)> tell;
    };

    struct TCallbacks {
        TMemoryCheck::Progress progress;               // bytes of a memory check
        std::function<bool()> aborted;                 // true stops the run
        std::function<void(const TCheckResult&)> done; // each check as it ends
        TPerson person;
    };

    TSelfTest(TBoard& board, TOptions options, TCallbacks callbacks);

    // Runs the chosen areas into `report`: its checks, completed and stopReason.
    void Run(TSelfTestReport& report);

    // The areas `only` and `skip` (comma-separated lists; empty `only`: every
    // area) leave, in run order; nothing and `error` set when a name is unknown.
    static std::optional<std::vector<std::string>>
    ChooseAreas(const std::string& only, const std::string& skip, std::string& error);

  private:
    using TResult = TCheckResult::Result;
    using Body = std::function<void(TCheckResult&)>;

    static const std::vector<std::pair<std::string, void (TSelfTest::*)()>>& Steps();
    bool Check(const std::string& area, const std::string& name, const Body& body);
    void Add(TCheckResult result);
    // False when an exchange failed; then whether the link is gone is told
    // by a keep-alive, and `result` fails with `what`.
    bool Answered(bool ok, TCheckResult& result, const std::string& what);
    bool Stopped() const;
    void Pause(uint32_t ms);

    void Link();
    void Memories();
    void SdCard();
    void Hsmc();
    void Usb();
    void Monitor(const std::string& area, uint8_t channel, const char* refused);
    void Ir();
    void Ps2();
    void Rs232();
    void Rs232Loopback();
    void Inputs();
    void WaitForInputs(TCheckResult& result, int firstBit, int count, const char* what);
    void Leds();
    void Seg7();
    void Lcd();
    void Vga();
    // A shown pattern: asked of the person, or skipped for want of one.
    void Verdict(TCheckResult& result, const std::string& question);

    TBoard& board;
    TOptions options;
    TCallbacks callbacks;
    TSelfTestReport* report = nullptr;
    bool linkLost = false;
    bool aborted = false;
};
