#include "core/devices/Leds.h"

#include "board/Board.h"
#include "core/BoardConnection.h"

namespace kbr::devices {

TDeviceResult SetLeds(TBoardConnection& connection, uint32_t bits) {
    return RunPlain(connection, DeviceRow("LED"), [bits](TBoard& b) { return b.SetLeds(bits); });
}

} // namespace kbr::devices
