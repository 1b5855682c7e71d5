#pragma once
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "wire/WireFacts.h"

namespace drivers {

// One JTAG cable: the byte link to the Nios II program behind it. The
// entry points of the DLL map onto this and nothing more.
class Cable {
public:
    Cable() = default;
    virtual ~Cable() = default;
    // A link is one connection to the board; a copy would close it twice.
    Cable(const Cable&) = delete;
    Cable& operator=(const Cable&) = delete;

    // Opens the link; false when there is no board to talk to (a blank FPGA
    // included), and OpenFailure() then says why.
    virtual bool Open(int32_t portIndex, const std::string& cableName) = 0;
    virtual void Close() = 0;
    // Sends every byte; false when the board is gone, that is when it has
    // taken nothing for kWriteStallMs.
    virtual bool Write(const uint8_t* bytes, uint32_t count) = 0;
    static constexpr int kWriteStallMs = 15000;
    // Copies what is waiting, up to `maxCount`. When nothing is, waits up to
    // ReadWait() for something to arrive and returns 0 if nothing does: the
    // caller's timed read calls this in a loop, which must not spin a core
    // while the board is silent, yet sees data the moment it lands. A link
    // the board has closed reads the same way, as nothing after the wait.
    uint32_t ReadAvailable(uint8_t* buffer, uint32_t maxCount) {
        if (!IsOpen() || !buffer || maxCount == 0)
            return 0;
        if (broken) {
            std::this_thread::sleep_for(ReadWait());
            return 0;
        }
        // The caller's count comes back as a signed 32-bit number.
        return Receive(buffer, std::min<uint32_t>(maxCount, INT32_MAX));
    }

    // Until the next whole millisecond of the steady clock. Callers time their
    // reads in whole milliseconds of that clock, so a wait that ends there
    // never holds them past a deadline, and a silent link costs one wake-up
    // a millisecond.
    static std::chrono::nanoseconds ReadWait() {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return std::chrono::floor<std::chrono::milliseconds>(now) + std::chrono::milliseconds(1) - now;
    }
    // A line that names the link for the user.
    virtual std::string Describe() const = 0;

    kbr::wire::LinkFailure OpenFailure() const { return failure; }

protected:
    virtual bool IsOpen() const = 0;
    // ReadAvailable for an open link that still works; sets `broken` when it
    // learns that the board has closed the link.
    virtual uint32_t Receive(uint8_t* buffer, uint32_t maxCount) = 0;

    // Set by Open: None on success, else the kind of failure.
    kbr::wire::LinkFailure failure = kbr::wire::LinkFailure::None;
    // The board side has closed the link: nothing will arrive any more.
    bool broken = false;
};

} // namespace drivers
