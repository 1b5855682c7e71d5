#pragma once
#include <string>

#include "core/devices/DeviceResult.h"

// The device kinds the board reports on its USB host port (first byte of a
// read on the USB channel). Any other value is a device the board could not
// classify.
enum UsbDeviceKind : int { kUsbNone = 0, kUsbMouse = 1, kUsbStorage = 2, kUsbOther = 3 };

// Whether the kind is one of the four above.
bool IsKnownUsbKind(int kind);
// The device's name as the USB page shows it: "USB Mouse", "USB Storage",
// "USB Device"; empty for no device and for kinds the page does not know.
std::string UsbDeviceName(int kind);
// The port label's text: the name stands on the second line.
std::string UsbPortText(int kind);
// One word for the command line: none, mouse, storage, other, or "kind N".
std::string UsbKindWord(int kind);

namespace kbr::devices {

// Reads which device is on the USB host port: its kind (UsbDeviceKind, or a
// value the board could not classify). Refused when the board reported nothing.
TDeviceValue<int> ReadUsbDevice(TBoardConnection& connection);

// The self test's "usb" area: the port answers, and what is plugged into it.
void CheckUsb(TCheckRun& run);

} // namespace kbr::devices
