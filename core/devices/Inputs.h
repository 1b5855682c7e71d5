#pragma once
#include <cstdint>

#include "core/devices/DeviceResult.h"

class TBoardConnection;

// The board's four push keys and 18 slide switches, read in one value.
namespace kbr::devices {

inline constexpr int kKeyCount = 4;
inline constexpr int kSwitchCount = 18;

// Keys in bits 0-3, switches in bits 4-21; a set bit is a key pressed or a
// switch up, as the board reports them.
struct TInputs {
    uint32_t value = 0;

    bool Key(int i) const { return (value >> i) & 1; }
    bool Switch(int i) const { return (value >> (kKeyCount + i)) & 1; }
    uint32_t Keys() const { return value & ((1u << kKeyCount) - 1); }
    uint32_t Switches() const { return (value >> kKeyCount) & ((1u << kSwitchCount) - 1); }
    bool operator==(const TInputs&) const = default;
};

// Reads the keys and switches once.
TDeviceValue<TInputs> ReadInputs(TBoardConnection& connection);

// The self test's "inputs" area: the keys and switches, pressed and moved by a person.
void CheckInputs(TCheckRun& run);

} // namespace kbr::devices
