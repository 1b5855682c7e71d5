#pragma once
#include "drivers/jtag/AtlanticLibrary.h"
#include "drivers/jtag/Cable.h"

namespace drivers {

// The link to a real board: the JTAG UART of its Nios II system, through a
// USB-Blaster and Quartus's JTAG server.
class UsbBlasterCable : public Cable {
public:
    UsbBlasterCable() = default;
    ~UsbBlasterCable() override;
    UsbBlasterCable(const UsbBlasterCable&) = delete;
    UsbBlasterCable& operator=(const UsbBlasterCable&) = delete;

    // The cable is $KBR370_BLASTER, else `cableName`, else whichever one the
    // JTAG server finds.
    bool Open(int32_t portIndex, const std::string& cableName) override;
    void Close() override;
    bool Write(const uint8_t* bytes, uint32_t count) override;
    uint32_t ReadAvailable(uint8_t* buffer, uint32_t maxCount) override;
    std::string Describe() const override;

    // How long a write may make no progress (the UART's FIFO staying full)
    // before the board counts as gone.
    static constexpr int kWriteStallMs = 15000;
    static constexpr const char* kAppName = "kbr370";

private:
    int ReadNow(uint8_t* buffer, uint32_t maxCount);

    AtlanticLibrary library;
    JTAGATLANTIC* link = nullptr;
    bool broken = false;
};

} // namespace drivers
