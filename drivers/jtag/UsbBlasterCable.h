#pragma once
#include "drivers/jtag/AtlanticLibrary.h"
#include "drivers/jtag/Cable.h"

namespace drivers {

// The link to a real board: the JTAG UART of its Nios II system, through a
// USB-Blaster and Quartus's JTAG server.
class UsbBlasterCable : public Cable {
public:
    ~UsbBlasterCable() override;

    // The cable is $KBR370_BLASTER, else `cableName`, else whichever one the
    // JTAG server finds.
    bool Open(int32_t portIndex, const std::string& cableName) override;
    void Close() override;
    bool Write(const uint8_t* bytes, uint32_t count) override;
    std::string Describe() const override;

    static constexpr const char* kAppName = "kbr370";

private:
    bool IsOpen() const override { return link != nullptr; }
    uint32_t Receive(uint8_t* buffer, uint32_t maxCount) override;
    int ReadNow(uint8_t* buffer, uint32_t maxCount);

    AtlanticLibrary library;
    JTAGATLANTIC* link = nullptr;
};

} // namespace drivers
