#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "vboard/SparseMemory.h"
#include "wire/WireFacts.h"

namespace vboard {

// The peripherals of the board and what the companion design's program
// answers to each request. Everything here is plain state that the control
// protocol may read and change; the link only goes through Handle.
class TBoardModel {
  public:
    struct TReply {
        std::vector<uint8_t> payload; // starts with the status byte
        uint32_t delayMs = 0;         // how long the board works before it answers
    };

    struct TSdCard {
        bool inserted = true;
        std::array<uint8_t, 16> csd{};
        std::array<uint8_t, 16> cid{};
        uint8_t fileSystem = 2;
    };

    // Device channels of SetDeviceMode / ReadDeviceData / SendDeviceData.
    enum Channel : uint8_t {
        kIr = ::kbr::wire::kChannelIr,
        kLcd = ::kbr::wire::kChannelLcd,
        kVga = ::kbr::wire::kChannelVga,
        kRs232 = ::kbr::wire::kChannelRs232,
        kPs2 = ::kbr::wire::kChannelPs2,
        kUsb = ::kbr::wire::kChannelUsb,
    };

    static constexpr size_t kDeviceChunk = ::kbr::wire::kDeviceChunk;
    static constexpr size_t kIrQueueMax = 4096;
    static constexpr size_t kRs232QueueMax = 64 * 1024;
    static constexpr size_t kRs232TxMax = 1024 * 1024;
    static constexpr size_t kPs2QueueMax = 4 * 4096;
    static constexpr size_t kRequestLogMax = 65536;
    static constexpr size_t kLcdTextMax = 1024;
    static constexpr uint32_t kFlashSize = ::kbr::wire::kFlash.size;
    // Any count a board may report, also one no flash can have (tests of the
    // clients' checks); a step covers 8 MiB / steps, rounded.
    static constexpr uint32_t kMaxEraseSteps = 0xFFFFFFFF;

    TBoardModel();

    // Answers one request; unknown ids get status 0x01 with length 1.
    TReply Handle(uint8_t command, const uint8_t* payload, size_t length);

    // Power-on state of everything.
    void Reset();
    // What reloading the FPGA clears: the design's own registers and queues;
    // the memories, the card, the inputs and the plugged devices stay.
    void ResetDesign();

    // Memory by the board's memory code, or null for an unknown code.
    TSparseMemory* Memory(uint8_t code);
    static bool IsMemoryCode(uint8_t code);

    static TSdCard DefaultCard();

    // Hardware defects; they survive Reset, as a damaged board stays damaged.
    // Each answers false (and sets nothing) when its arguments name no cell,
    // bit or line of the board.
    // That bit of that byte reads `value` whatever is written.
    bool AddStuckBit(uint8_t code, uint32_t byteAddress, int bit, bool value);
    // That address line is stuck low: an address with the bit set reaches the
    // cell without it, for reads and writes alike.
    bool AddAliasedAddressBit(uint8_t code, int addressBit);
    // StartErase(sector) answers done but leaves the sector as it was.
    void AddStuckFlashSector(uint32_t sector) { stuckFlashSectors.insert(sector); }
    void ClearDefects();

    // Takes the command ids logged since the last call.
    std::vector<uint8_t> TakeRequestLog();

    // State, read and written by the control protocol.
    uint32_t leds = 0;
    uint32_t seg7Value = 0;
    uint8_t seg7Extra = 0;
    uint32_t inputs = 0; // keys in bits 0-3, switches in bits 4-21
    std::string lcdLine[2];
    uint8_t vgaPattern = 0;
    bool irMode = false, rs232Mode = false, ps2Mode = false;
    bool irPresent = true, ps2Present = true;
    bool rs232Loopback = false;
    std::deque<uint8_t> irQueue, rs232Rx, ps2Queue;
    std::string rs232Tx;
    uint8_t usbKind = 0;
    bool hsmcAdapter = true;
    uint64_t hsmcFail40 = 0;
    uint8_t hsmcFail8 = 0;
    TSdCard sd = DefaultCard();
    uint32_t eraseSteps = 64;
    uint32_t eraseStepMs = 100;

    // Pushes that respect the queue limits; false when the queue is full.
    bool PushRs232Rx(const uint8_t* data, size_t count);

  private:
    using Handler = TReply (TBoardModel::*)(const uint8_t*, size_t);
    struct TCommand {
        uint8_t id;
        Handler handler;
    };
    static const TCommand kCommands[];
    static Handler Find(uint8_t id);

    TReply BoardName(const uint8_t*, size_t);
    TReply KeepAlive(const uint8_t*, size_t);
    TReply SetLeds(const uint8_t*, size_t);
    TReply ReadSwitchesAndKeys(const uint8_t*, size_t);
    TReply SetSeg7(const uint8_t*, size_t);
    TReply ReadSdCardInfo(const uint8_t*, size_t);
    TReply QueryEraseStatus(const uint8_t*, size_t);
    TReply StartErase(const uint8_t*, size_t);
    TReply WriteMemory(const uint8_t*, size_t);
    TReply ReadMemory(const uint8_t*, size_t);
    TReply RunLoopbackTest(const uint8_t*, size_t);
    TReply SendDeviceData(const uint8_t*, size_t);
    TReply ReadDeviceData(const uint8_t*, size_t);
    TReply SetDeviceMode(const uint8_t*, size_t);

    void ShowLcdText();

    // One per memory of the board, in the order of its memory table.
    std::vector<TSparseMemory> memories;
    std::string lcdText; // text received so far, until its zero byte
    std::deque<uint8_t> requestLog;
    std::set<uint32_t> stuckFlashSectors;
};

} // namespace vboard
