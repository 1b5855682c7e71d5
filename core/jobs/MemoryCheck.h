#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/jobs/CheckResult.h"
#include "core/jobs/MarchTest.h"
#include "core/jobs/SelfTestReport.h"
#include "wire/Memories.h"

class TBoard;
class THost;

// Checks one memory of the board over the link: its data lines (walking ones
// and zeros at one address), its address lines (a byte at 0 and at every
// power of two, so a stuck or shorted line shows as aliasing), and its cells
// (March C- over a window, or the whole memory).
//
// Nothing is lost by default: every byte a check writes is read first and
// written back when it ends, also when it fails or is stopped, as far as the
// link allows; what could not be written back is named by its range. A lost
// reply is not a lost link: the link counts as lost only when keep-alives go
// unanswered too. The flash is only read then (the same sample read twice at
// every sector); the destructive checks erase and program it and leave it
// erased.
//
// The host hears each check begin (TaskStarted, with the check's name) and the
// bytes it moved over the link so far, of about its total (TaskProgress); a
// stop it asks for (StopRequested) ends the work before its next exchange,
// and what was touched is still written back.
class TMemoryCheck {
  public:
    using TMemory = kbr::wire::TMemory;

    // Sized so that a quick run of all four memories of the virtual board
    // takes seconds, and stays well within a minute and a half at a real JTAG
    // UART's rate (1 MB/s).
    static constexpr uint32_t kQuickWindow = 512u << 10;
    // Bytes read (twice) at the start of every flash sector in a quick run.
    static constexpr uint32_t kFlashSample = 1024;

    struct TOptions {
        bool full = false;        // the march over the whole memory
        bool destructive = false; // the flash is erased and programmed
        uint32_t quickWindow = kQuickWindow;
        size_t faultLimit = 16; // faults kept per check
    };

    struct TRun {
        std::vector<TCheckResult> checks; // in the order they ran
        bool linkLost = false; // the board stopped answering; the later checks did not run
        bool aborted = false;  // stopped by the front end
        bool restored = true;  // false: bytes may still hold test patterns ...
        std::vector<TPatternRange> unrestored; // ... these
    };

    TMemoryCheck(TBoard& board, THost& host);

    TRun Run(const TMemory& memory, const TOptions& options);

    // Saved bytes by their address, to be written back when a check ends.
    using TSaved = std::vector<std::pair<uint32_t, std::vector<uint8_t>>>;
    struct TWriteBack {
        std::vector<TPatternRange> left; // not written back
        bool linkDown = false;           // the board stopped answering
    };
    // Writes `saved` back into `memory`. An exchange that fails is tried
    // again, one that still fails is named and the rest go on; once the
    // board answers no keep-alive either, all that is left is named.
    static TWriteBack WriteBack(TBoard& board, const TMemory& memory, const TSaved& saved);
    // Whether the board answers a keep-alive within a few tries.
    static bool LinkAnswers(TBoard& board);

    static constexpr const char* kArea = "memories";

  private:
    using Body = std::function<void(TCheckResult&, TFaultList&)>;
    class TExchangeHost;

    // A result of this memory's check `what` ("march").
    TCheckResult Named(const std::string& what) const;
    TCheckResult Check(const std::string& what, uint64_t total, const Body& body);
    void DataBus(TCheckResult& result, TFaultList& faults);
    void AddressBus(TCheckResult& result, TFaultList& faults);
    void March(TCheckResult& result, TFaultList& faults);
    void FlashSample(TCheckResult& result, TFaultList& faults);
    void FlashDataBus(TCheckResult& result, TFaultList& faults);
    void FlashAddressBus(TCheckResult& result, TFaultList& faults);
    void FlashMarch(TCheckResult& result, TFaultList& faults);

    // Exchanges; false when one failed or the front end stopped us.
    // Reads into `read`, or writes `write` when it is given.
    bool Exchange(uint32_t address, uint32_t count, uint8_t* read, const uint8_t* write);
    bool Read(uint32_t address, uint32_t count, uint8_t* out) {
        return Exchange(address, count, out, nullptr);
    }
    bool Write(uint32_t address, uint32_t count, const uint8_t* data) {
        return Exchange(address, count, nullptr, data);
    }
    bool WriteByte(uint32_t address, uint8_t value) { return Write(address, 1, &value); }
    bool ReadByte(uint32_t address, uint8_t& value) { return Read(address, 1, &value); }
    bool Element(const TMarchElement& element, uint32_t window, TFaultList& faults);
    // The bytes a march moved in `ms`, as details and as the message.
    static void Throughput(TCheckResult& result, const char* what, uint32_t window, uint64_t bytes,
                           uint32_t ms);
    bool Save(uint32_t address, uint32_t count);
    // Writes the check's saved bytes back; what could not be is returned.
    std::vector<TPatternRange> Restore();
    bool EraseSectors(const std::set<uint32_t>& sectors, TCheckResult& result);
    // The flash's later checks are not run, for `why`, and the current one fails so.
    void EndFlashChecks(TCheckResult& result, const std::string& why);
    bool Stopped() const { return linkLost || aborted || exchangeFailed || !notRun.empty(); }

    std::vector<uint32_t> AddressOffsets() const;
    uint32_t Window() const;
    // The flash's sectors, asked of the board once per run; 0 (and the
    // check failed) when it tells no count a flash can have.
    uint32_t KnownEraseSteps(TCheckResult& result);
    void FlashSectorsOf(uint32_t address, uint32_t count, std::set<uint32_t>& sectors);

    TBoard& board;
    THost& host;

    // The run under way.
    const TMemory* memory = nullptr;
    TOptions options;
    bool linkLost = false;
    bool aborted = false;
    bool exchangeFailed = false; // in the check under way; the board still answers
    std::string notRun;          // why the memory's later checks are not run
    std::vector<TPatternRange> unrestored;
    TSaved saved;
    uint32_t eraseSteps = 0;
    uint64_t done = 0, total = 0;
};
