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
class THost;

// The board checked area by area over a connected session, each check's
// outcome added to a TSelfTestReport as it ends. Checks that need a person's
// eyes or hands ask through the host in an interactive run (Ask for a yes or
// no, Tell for what to do at the board); without one they drive a visible
// pattern and are reported as skipped. The host also hears the memory checks'
// progress, and a stop it asks for (StopRequested) ends the run at the next
// exchange. A link that fails and does not answer a keep-alive any more ends
// the run there: the report then says how far it got.
class TSelfTest {
  public:
    // Every area, in the order a run takes them.
    static const std::vector<std::string>& Areas();

    struct TOptions {
        std::vector<std::string> areas = Areas(); // the ones to run
        bool full = false;                        // the march over each whole memory
        bool destructive = false;                 // the flash is erased and programmed
        bool interactive = false;                 // a person answers through the host
        bool rs232Loopback = false;
        // How long a person has to press a key or move a switch.
        uint32_t inputWaitMs = 30000;
    };

    // Receives each check as it ends, before it joins the report.
    using CheckDone = std::function<void(const TCheckResult&)>;

    TSelfTest(TBoard& board, TOptions options, THost& host);

    // Runs the chosen areas into `report`: its checks, completed and stopReason.
    void Run(TSelfTestReport& report, const CheckDone& each = {});

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
    // Whether the host asked to stop; noted for the rest of the run.
    bool StopAsked();
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
    THost& host;
    CheckDone checkDone;
    TSelfTestReport* report = nullptr;
    bool linkLost = false;
    bool aborted = false;
};
