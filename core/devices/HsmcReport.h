#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/devices/DeviceResult.h"

// The HSMC loopback test's failing pins as the page reports them. The board
// gives two masks: mask8 bits 0-3 are the four transceiver pin groups (bits 4-7
// stand for nothing on the connector), mask40 bit j is single-ended pin pair j.

// Whether both masks are clear.
constexpr bool HsmcPassed(uint32_t mask8, uint64_t mask40) {
    return mask8 == 0 && mask40 == 0;
}

// The NG report, lines ended by "\r\n": "HSMC Test:NG", then the transceiver
// lines under "<Transceiver Error:>" when mask8 is not 0, then the pin-pair
// lines under "<Pio Error:>" when mask40 is not 0.
std::string HsmcReportText(uint32_t mask8, uint64_t mask40);

// The connector pins of transceiver group i (0-3) and of pin pair j (0-39).
std::string HsmcTransceiverLine(int group);
std::string HsmcPinPairLine(int pair);

// The report's lines without their line ends and padding.
std::vector<std::string> HsmcReportLines(uint32_t mask8, uint64_t mask40);

namespace kbr::devices {

// What the loopback test found: the masks, and the failing pins as the page
// lists them ("HSMC Pin 31/29-32/30"), without padding.
struct THsmcResult {
    uint32_t mask8 = 0;
    uint64_t mask40 = 0;
    std::vector<std::string> transceiverErrors;
    std::vector<std::string> pioErrors;

    bool Passed() const { return HsmcPassed(mask8, mask40); }
};
THsmcResult HsmcResultOf(uint32_t mask8, uint64_t mask40);

// Runs the loopback test over the adapter on the HSMC connector. Done when
// the test ran, passed or not; refused when the board would not run it.
TDeviceValue<THsmcResult> RunHsmcTest(TBoardConnection& connection);

// The self test's "hsmc" area: the loopback test.
void CheckHsmc(TCheckRun& run);

} // namespace kbr::devices
