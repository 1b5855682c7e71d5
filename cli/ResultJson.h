#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/devices/Inputs.h"

// The results of kbr370's board commands as --json prints them. The field
// names are kept stable: scripts rely on them, and the man page lists them.

// {"value", "hex": "0x%08X", "keys": [bit of key 0, ...], "switches": [...]}
nlohmann::json InputsJson(uint32_t value);
// The keys' and switches' names in the order of the value's bits: key0..key3, sw0..sw17.
std::vector<std::string> InputNames();

// The cable configuring goes through, with the USB-Blaster's name when one is
// chosen ("usb-blaster: USB-Blaster on labhost [1-1.4]").
std::string ChosenCableName();
