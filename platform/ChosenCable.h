#pragma once
#include <string>

namespace platform {

// The cables KBR370_CABLE chooses between: the virtual board, or a real board
// behind a USB-Blaster (which one: KBR370_BLASTER).
inline constexpr const char* kVirtualCable = "virtual";
inline constexpr const char* kBlasterCable = "usb-blaster";

// KBR370_CABLE in lower case, as people write the names either way
// ("USB-Blaster"); the virtual board when it is unset or empty.
std::string ChosenCable();

// The real cable KBR370_BLASTER names, as jtagconfig lists it (a local one,
// or one another machine's JTAG server shares); `otherwise` when it is unset
// or empty. The link and the programmer both take it.
std::string ChosenBlaster(const std::string& otherwise);

// Why KBR370_CABLE names no cable we know, listing those we do; empty when it
// names one.
std::string UnknownCableText();

} // namespace platform
