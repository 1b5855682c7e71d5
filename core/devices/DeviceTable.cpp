#include "core/devices/DeviceTable.h"

#include "core/devices/HsmcReport.h"
#include "core/devices/Inputs.h"
#include "core/devices/IrCodes.h"
#include "core/devices/LcdText.h"
#include "core/devices/Leds.h"
#include "core/devices/Link.h"
#include "core/devices/Memories.h"
#include "core/devices/Ps2Mouse.h"
#include "core/devices/Rs232Text.h"
#include "core/devices/SdCard.h"
#include "core/devices/Seg7Digits.h"
#include "core/devices/UsbDevice.h"
#include "core/devices/VgaPattern.h"

namespace kbr::devices {

const std::array<TArea, 13> kAreas = {{
    {"link", &CheckLink},   {"memories", &CheckMemories}, {"sd", &CheckSdCard},
    {"hsmc", &CheckHsmc},   {"usb", &CheckUsb},           {"ir", &CheckIr},
    {"ps2", &CheckPs2},     {"rs232", &CheckRs232},       {"inputs", &CheckInputs},
    {"leds", &CheckLeds},   {"seg7", &CheckSeg7},         {"lcd", &CheckLcd},
    {"vga", &CheckVga},
}};

std::vector<const char*> AreaDevices(std::string_view area) {
    std::vector<const char*> names;
    for (const TDeviceRow& row : kDeviceTable)
        if (row.area && area == row.area)
            names.push_back(row.name);
    return names;
}

} // namespace kbr::devices
