#pragma once
#include "core/devices/DeviceTable.h"
#include "wire/WireFacts.h"

// What both front ends know of the board's devices, as the pages and the CLI's
// device commands hold them: views onto the device table's rows, so they
// cannot drift apart.
namespace kbr::devices {

struct TDevice {
    wire::Channel channel;
    int pollMs;          // the gap between two reads while watched; 0: never polled
    const char* refused; // the board answered, but refused
    const char* failed;  // the exchange failed
};

constexpr TDevice DeviceOf(std::string_view name) {
    const TDeviceRow& row = DeviceRow(name);
    return {static_cast<wire::Channel>(row.channel), row.pollMs, row.texts.refused,
            row.texts.failed};
}

inline constexpr TDevice kIr = DeviceOf("IR");
inline constexpr TDevice kLcd = DeviceOf("LCD");
inline constexpr TDevice kVga = DeviceOf("VGA");
inline constexpr TDevice kRs232 = DeviceOf("RS232");
inline constexpr TDevice kPs2 = DeviceOf("PS2");
// Polled quickly after a change (a freshly plugged device may still be
// enumerating), less often while the port stays as it was.
inline constexpr TDevice kUsb = DeviceOf("USB");
inline constexpr int kUsbSteadyPollMs = 300;

inline constexpr const char* kRs232TransmitFailed = DeviceRow("RS232").texts.more;

// The switches and keys have a command of their own, not a channel.
inline constexpr int kSwitchesPollMs = DeviceRow("SW").pollMs;

// The SD card's reading, a command of its own.
struct TSdCardTexts {
    const char* failed;
    // No card, or a card the board cannot read: the two sentences stand on
    // two lines in a box, on one line in a terminal.
    const char* missing;
    const char* plugHint;
};
inline constexpr TSdCardTexts kSdCard{DeviceRow("SDCARD").texts.failed,
                                      DeviceRow("SDCARD").texts.refused,
                                      DeviceRow("SDCARD").texts.more};

// The HSMC loopback test: it failed to run (or the board refused it), or it
// ran and found pins that do not loop back.
struct THsmcTexts {
    const char* failed;
    const char* ng;
};
inline constexpr THsmcTexts kHsmc{DeviceRow("HSMC").texts.failed, DeviceRow("HSMC").texts.more};

} // namespace kbr::devices
