#include "core/devices/Inputs.h"

#include "board/Board.h"

namespace kbr::devices {

TDeviceValue<TInputs> ReadInputs(TBoardConnection& connection) {
    TInputs inputs;
    TDeviceResult result = RunPlain(connection, DeviceRow("SW"), [&inputs](TBoard& b) {
        return b.ReadSwitchesAndKeys(inputs.value);
    });
    return {std::move(result), inputs};
}

} // namespace kbr::devices
