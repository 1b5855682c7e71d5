#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "wire/Commands.h"

class TJtagPort;

// Largest request payload the board accepts.
constexpr uint32_t PKT_PC2NIOS_MAX_PL_LEN = kbr::wire::kMaxPayload;

// The board session: one TJtagPort while connected, the packet transaction and
// the board's command set. Every exchange blocks the calling thread.
class TBoard {
public:
    // The time and size limits of the link. The defaults are the board's own;
    // tests shorten them so a silent board fails fast.
    struct TLimits {
        uint32_t replyMs = 3000;              // until a reply's header is in
        uint32_t sdCardReplyMs = 10000;       // the card answers slower
        uint32_t bodyMs = 3000;               // the rest of a reply after its header
        uint32_t readSliceMs = 3000;          // one wait of the link library
        uint32_t keepAliveSilenceMs = 120000; // after this long, a ping wakes the link
        uint32_t wakeExchanges = 5;           // keep-alives of that ping
        uint32_t flushBytes = 1002;           // most stale bytes dropped before a request
        uint32_t flushWaitMs = 1;             // wait for each of those

        // These limits with `ms` for a reply, its start and its rest alike.
        TLimits WithReplyLimit(uint32_t ms) const {
            TLimits limits = *this;
            limits.replyMs = limits.bodyMs = ms;
            return limits;
        }
    };
    static constexpr uint32_t kMaxWriteChunk =
        kbr::wire::kMaxPayload - kbr::wire::kMemoryWriteHeader;
    static constexpr uint32_t kMaxReadChunk = kbr::wire::kMaxPayload - kbr::wire::kMemoryReadHeader;
    static constexpr uint32_t kDeviceChunk = kbr::wire::kDeviceChunk;
    // Connect's error text when another program holds the board's one link.
    // Both front ends stop there: configuring the FPGA would cut that program off.
    static constexpr const char* kLinkInUseText =
        "The board's link is in use by another program. Close that program and try again.";

    TBoard();
    ~TBoard();
    TBoard(const TBoard&) = delete;
    TBoard& operator=(const TBoard&) = delete;

    // Session.
    bool Connect(std::string& errorText, int32_t portIndex);
    void Disconnect();
    bool IsConnected() const;
    const TLimits& Limits() const { return limits; }
    void SetLimits(const TLimits& value) { limits = value; }
    // What every later session of this process starts with: a front end's
    // choice made once at start-up (kbr370 --time-limit).
    static void SetDefaultLimits(const TLimits& value);
    // Whether the last Connect failed because another program holds the link.
    bool LinkInUse() const { return linkInUse; }
    // Whether the last Connect failed because nothing answered the link (a
    // blank FPGA, or no board), which configuring may mend; any other failure
    // was told by the library itself.
    bool LinkUnanswered() const { return linkUnanswered; }
    // Why the last Connect could not use the JTAG library; empty when it could.
    const std::string& LibraryError() const { return libraryError; }
    bool Transact(uint8_t command, uint8_t* replyBuffer, uint32_t timeoutMs, uint32_t payloadLength,
                  const uint8_t* payload, uint32_t replyLength);
    bool ReadExact(uint8_t* buffer, uint32_t count, uint32_t timeoutMs);
    void FlushInput();
    bool QueryBoardName(std::string& name);
    bool Ping();

    // Plain commands: true when the exchange worked and the status byte is 0.
    bool SetLeds(uint32_t bits);
    bool ReadSwitchesAndKeys(uint32_t& value);
    bool SetSeg7(uint32_t value, uint8_t extra);
    bool WriteMemory(uint8_t memory, uint32_t address, uint32_t count, const uint8_t* data);
    bool ReadMemory(uint8_t memory, uint32_t address, uint32_t count, uint8_t* buffer);
    uint32_t QueryEraseStatus();

    // Split commands: the result says whether the exchange worked; `done`
    // carries the board's own answer.
    bool ReadSdCardInfo(bool& done, std::string& csdText, std::string& cidText,
                        std::string& fileSystem);
    // The same answer undecoded: the registers as the card holds them.
    struct TSdCardRegisters {
        uint8_t csd[16];
        uint8_t cid[16];
        uint8_t fileSystem;
    };
    bool ReadSdCardRegisters(bool& done, TSdCardRegisters& registers);
    bool StartErase(bool& done, uint16_t argument);
    bool RunLoopbackTest(bool& done, uint8_t selector, uint32_t& mask8, uint64_t& mask40);
    bool SendDeviceData(bool& done, uint8_t channel, uint32_t count, const uint8_t* data);
    bool ReadDeviceData(bool& done, uint8_t channel, uint32_t& count, uint8_t* buffer);
    bool SetDeviceMode(bool& done, uint8_t channel, uint8_t mode);

    // Called when a request could not be written or a reply came spoilt; the
    // front end beeps through its host.
    std::function<void()> OnBeep;

    // Re-entrant for the thread that holds it.
    std::recursive_mutex Lock;
    uint32_t LastActivity = 0;
    std::string LinkInfo;

private:
    bool Keepalive();
    // One exchange of a known command: the lengths are its descriptor's, plus
    // `extra` bytes where a part is variable.
    bool Call(kbr::wire::Command command, const uint8_t* payload, uint8_t* reply,
              uint32_t extraRequest = 0, uint32_t extraReply = 0);
    void Beep();
    std::unique_ptr<TJtagPort> port;
    TLimits limits;
    bool linkInUse = false;
    bool linkUnanswered = false;
    std::string libraryError;
};
