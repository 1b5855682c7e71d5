#include "core/devices/UsbDevice.h"

#include "wire/UsbKinds.h"

namespace {

// Indexed by the kind: the page's name.
constexpr const char* kKindNames[] = {"", "USB Mouse", "USB Storage", "USB Device"};

bool Known(int kind) {
    return kind >= kUsbNone && kind <= kUsbOther;
}

} // namespace

std::string UsbDeviceName(int kind) {
    return Known(kind) ? kKindNames[kind] : "";
}

std::string UsbPortText(int kind) {
    return "\r\n" + UsbDeviceName(kind);
}

std::string UsbKindWord(int kind) {
    return Known(kind) ? kbr::wire::kUsbKindWords[kind] : "kind " + std::to_string(kind);
}
