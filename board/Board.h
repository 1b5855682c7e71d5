#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "wire/WireFacts.h"

class TJtagPort;

// Largest request payload the board accepts.
constexpr uint32_t PKT_PC2NIOS_MAX_PL_LEN = kbr::wire::kMaxPayload;

// The board session: one TJtagPort while connected, the packet transaction and
// the board's command set. Every exchange blocks the calling thread.
class TBoard {
public:
    // Command identifiers on the wire.
    enum Command : uint8_t {
        CmdQueryBoardName = kbr::wire::CmdQueryBoardName,
        CmdKeepAlive = kbr::wire::CmdKeepAlive,
        CmdSetLeds = kbr::wire::CmdSetLeds,
        CmdReadSwitchesAndKeys = kbr::wire::CmdReadSwitchesAndKeys,
        CmdSetSeg7 = kbr::wire::CmdSetSeg7,
        CmdReadSdCardInfo = kbr::wire::CmdReadSdCardInfo,
        CmdQueryEraseStatus = kbr::wire::CmdQueryEraseStatus,
        CmdStartErase = kbr::wire::CmdStartErase,
        CmdWriteMemory = kbr::wire::CmdWriteMemory,
        CmdReadMemory = kbr::wire::CmdReadMemory,
        CmdRunLoopbackTest = kbr::wire::CmdRunLoopbackTest,
        CmdSendDeviceData = kbr::wire::CmdSendDeviceData,
        CmdReadDeviceData = kbr::wire::CmdReadDeviceData,
        CmdSetDeviceMode = kbr::wire::CmdSetDeviceMode,
    };
    static constexpr uint32_t kDefaultTimeoutMs = 3000;
    static constexpr uint32_t kSdCardTimeoutMs = 10000;
    static constexpr uint32_t kMaxWriteChunk =
        kbr::wire::kMaxPayload - kbr::wire::kMemoryWriteHeader;
    static constexpr uint32_t kMaxReadChunk = kbr::wire::kMaxPayload - kbr::wire::kMemoryReadHeader;
    static constexpr uint32_t kDeviceChunk = kbr::wire::kDeviceChunk;
    static constexpr uint32_t kFlushLimit = 1002;
    static constexpr uint32_t kKeepAliveSilenceMs = 120000;
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
    // Whether the last Connect failed because another program holds the link.
    bool LinkInUse() const { return linkInUse; }
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
    bool StartErase(bool& done, uint16_t argument);
    bool RunLoopbackTest(bool& done, uint8_t selector, uint32_t& mask8, uint64_t& mask40);
    bool SendDeviceData(bool& done, uint8_t channel, uint32_t count, const uint8_t* data);
    bool ReadDeviceData(bool& done, uint8_t channel, uint32_t& count, uint8_t* buffer);
    bool SetDeviceMode(bool& done, uint8_t channel, uint8_t mode);

    // Called when a request could not be written or a reply came spoilt; the
    // front end beeps through its reporter.
    std::function<void()> OnBeep;

    // Re-entrant for the thread that holds it.
    std::recursive_mutex Lock;
    uint32_t LastActivity = 0;
    std::string LinkInfo;

private:
    bool Keepalive();
    void Beep();
    std::unique_ptr<TJtagPort> port;
    bool linkInUse = false;
    std::string libraryError;
};
