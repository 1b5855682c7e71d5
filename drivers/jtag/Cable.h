#pragma once
#include <cstdint>
#include <string>

#include "wire/WireFacts.h"

namespace drivers {

// One JTAG cable: the byte link to the Nios II program behind it. The
// entry points of the DLL map onto this and nothing more.
class Cable {
public:
    virtual ~Cable() = default;

    // Opens the link; false when there is no board to talk to (a blank FPGA
    // included), and OpenFailure() then says why.
    virtual bool Open(int32_t portIndex, const std::string& cableName) = 0;
    virtual void Close() = 0;
    // Sends every byte; false when the board is gone.
    virtual bool Write(const uint8_t* bytes, uint32_t count) = 0;
    // Copies what is waiting, up to `maxCount`; 0 when nothing is. Never waits.
    virtual uint32_t ReadAvailable(uint8_t* buffer, uint32_t maxCount) = 0;
    // A line that names the link for the user.
    virtual std::string Describe() const = 0;

    kbr::wire::LinkFailure OpenFailure() const { return failure; }

protected:
    // Set by Open: None on success, else the kind of failure.
    kbr::wire::LinkFailure failure = kbr::wire::LinkFailure::None;
};

} // namespace drivers
