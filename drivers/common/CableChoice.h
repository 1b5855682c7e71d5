#pragma once
#include <memory>
#include <string>

#include "platform/ChosenCable.h"

namespace drivers {

// Both drivers make their working part by the cable that KBR370_CABLE names:
// one for the virtual board, which needs the DLL's directory to start its
// daemon, or one for a real board behind a USB-Blaster.
template <typename Part, typename ForVirtual, typename ForBlaster> class CableChoice {
  public:
    // The part for the chosen cable; nothing, with `error` set, when that is
    // not a known cable.
    static std::unique_ptr<Part> Make(const std::string& dllDir, std::string& error) {
        const std::string name = platform::ChosenCable();
        if (name == platform::kVirtualCable)
            return std::make_unique<ForVirtual>(dllDir);
        if (name == platform::kBlasterCable)
            return std::make_unique<ForBlaster>();
        error = platform::UnknownCableText();
        return nullptr;
    }
};

} // namespace drivers
