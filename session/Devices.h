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
};

inline constexpr TDevice kIr{wire::kChannelIr, 50, "IR not found"};
inline constexpr TDevice kLcd{wire::kChannelLcd, 0, "Failed to set lcd."};
inline constexpr TDevice kVga{wire::kChannelVga, 0, "Set VGA Failed"};
inline constexpr TDevice kRs232{wire::kChannelRs232, 100, "Failed to start RS232"};
inline constexpr TDevice kPs2{wire::kChannelPs2, 10, "Cannot find a PS/2 mouse. Please plug one."};
// Polled quickly after a change (a freshly plugged device may still be
// enumerating), less often while the port stays as it was.
inline constexpr TDevice kUsb{wire::kChannelUsb, 100, nullptr};
inline constexpr int kUsbSteadyPollMs = 300;

// The switches and keys have a command of their own, not a channel.
inline constexpr int kSwitchesPollMs = 100;

inline constexpr char kLcdLinkFailed[] = "Set LCD Fail";
inline constexpr char kRs232ReceiveFailed[] = "RS232 receive fail.";
inline constexpr char kRs232TransmitFailed[] = "RS232 transmit fail.";
inline constexpr char kSdCardFailed[] = "Failed to access SDCARD.";
// No card, or a card the board cannot read: the two sentences stand on two
// lines in a box, on one line in a terminal.
inline constexpr char kSdCardMissing[] = "Failed to access the SDCARD.";
inline constexpr char kSdCardPlugHint[] = "Please make sure a SDCARD is pluged into the KBR-370.";
inline constexpr char kHsmcFailed[] = "Failed to perform HSMC test";
inline constexpr char kHsmcNg[] = "HSMC Loopback Test: NG";

} // namespace kbr::devices
