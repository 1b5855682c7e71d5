#include "logic/UsbDevice.h"

namespace {

// Indexed by the kind: the page's name and the command line's word.
struct TKindTexts {
    const char* name;
    const char* word;
};
constexpr TKindTexts kKinds[] = {
    {"", "none"},
    {"USB Mouse", "mouse"},
    {"USB Storage", "storage"},
    {"USB Device", "other"},
};

const TKindTexts* Known(int kind) {
    return kind >= kUsbNone && kind <= kUsbOther ? &kKinds[kind] : nullptr;
}

} // namespace

std::string UsbDeviceName(int kind) {
    const TKindTexts* known = Known(kind);
    return known ? known->name : "";
}

std::string UsbPortText(int kind) {
    return "\r\n" + UsbDeviceName(kind);
}

std::string UsbKindWord(int kind) {
    const TKindTexts* known = Known(kind);
    return known ? known->word : "kind " + std::to_string(kind);
}
