#pragma once
#include "drivers/jtag/Cable.h"

namespace drivers {

class VBoardClient;

// The link to kbr370-vboard through its `link` socket. Starts the daemon
// from the DLL's directory when none answers.
class VirtualCable : public Cable {
public:
    explicit VirtualCable(std::string dllDir);
    ~VirtualCable() override;

    bool Open(int32_t portIndex, const std::string& cableName) override;
    void Close() override;
    bool Write(const uint8_t* bytes, uint32_t count) override;
    std::string Describe() const override;

    // How long an open waits for a link we just closed to be let go by the board.
    static constexpr int kLinkReleaseMs = 250;

private:
    bool IsOpen() const override { return fd >= 0; }
    uint32_t Receive(uint8_t* buffer, uint32_t maxCount) override;
    bool WaitForFreeLink(const VBoardClient& client) const;
    bool HungUpAtOnce() const;
    uint32_t ReceiveNow(uint8_t* buffer, uint32_t maxCount);
    bool WaitReadable() const;

    std::string dllDir;
    std::string boardDir;
    int fd = -1;
};

} // namespace drivers
