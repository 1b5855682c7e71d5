#include "logic/UsbDevice.h"

std::string UsbDeviceName(int kind) {
    switch (kind) {
    case kUsbMouse:
        return "USB Mouse";
    case kUsbStorage:
        return "USB Storage";
    case kUsbOther:
        return "USB Device";
    default:
        return {};
    }
}

std::string UsbPortText(int kind) {
    return "\r\n" + UsbDeviceName(kind);
}

std::string UsbKindWord(int kind) {
    switch (kind) {
    case kUsbNone:
        return "none";
    case kUsbMouse:
        return "mouse";
    case kUsbStorage:
        return "storage";
    case kUsbOther:
        return "other";
    default:
        return "kind " + std::to_string(kind);
    }
}
