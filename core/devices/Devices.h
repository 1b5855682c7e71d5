#pragma once
#include "wire/WireFacts.h"

// What both front ends know of the board's devices: the channel each one is
// reached on, how often a watcher reads it, and the words the user reads when
// the board refuses or the exchange fails. The panel's pages and the CLI's
// device commands take them from here, so they cannot drift apart.
namespace kbr::devices {

struct TDevice {
    wire::Channel channel;
    int pollMs;          // the gap between two reads while watched; 0: never polled
    const char* refused; // the board answered, but refused
    const char* failed;  // the exchange failed
};

inline constexpr TDevice kIr{wire::kChannelIr, 50, "IR not found", nullptr};
inline constexpr TDevice kLcd{wire::kChannelLcd, 0, "Failed to set lcd.", "Set LCD Fail"};
inline constexpr TDevice kVga{wire::kChannelVga, 0, "Set VGA Failed", nullptr};
inline constexpr TDevice kRs232{wire::kChannelRs232, 100, "Failed to start RS232",
                                "RS232 receive fail."};
inline constexpr TDevice kPs2{wire::kChannelPs2, 10, "Cannot find a PS/2 mouse. Please plug one.",
                              nullptr};
// Polled quickly after a change (a freshly plugged device may still be
// enumerating), less often while the port stays as it was.
inline constexpr TDevice kUsb{wire::kChannelUsb, 100, nullptr, nullptr};
inline constexpr int kUsbSteadyPollMs = 300;

inline constexpr char kRs232TransmitFailed[] = "RS232 transmit fail.";

// The switches and keys have a command of their own, not a channel.
inline constexpr int kSwitchesPollMs = 100;

// The SD card's reading, a command of its own.
struct TSdCardTexts {
    const char* failed;
    // No card, or a card the board cannot read: the two sentences stand on
    // two lines in a box, on one line in a terminal.
    const char* missing;
    const char* plugHint;
};
inline constexpr TSdCardTexts kSdCard{"Failed to access SDCARD.", "Failed to access the SDCARD.",
                                      "Please make sure a SDCARD is pluged into the KBR-370."};

// The HSMC loopback test: it failed to run (or the board refused it), or it
// ran and found pins that do not loop back.
struct THsmcTexts {
    const char* failed;
    const char* ng;
};
inline constexpr THsmcTexts kHsmc{"Failed to perform HSMC test", "HSMC Loopback Test: NG"};

} // namespace kbr::devices
