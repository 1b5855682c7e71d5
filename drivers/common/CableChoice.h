#pragma once
#include <memory>
#include <string>

#include "drivers/common/VBoardClient.h"

namespace drivers {

// Both drivers make their working part by the cable that KBR370_CABLE names:
// one for the virtual board, which needs the DLL's directory to start its
// daemon, or one for a real board behind a USB-Blaster.
template <typename Part, typename ForVirtual, typename ForBlaster> class CableChoice {
  public:
    static constexpr const char* kVirtual = "virtual";
    static constexpr const char* kBlaster = "usb-blaster";

    // The part for SelectedCable(); nothing, with `error` set, when that is
    // not a known cable.
    static std::unique_ptr<Part> Make(const std::string& dllDir, std::string& error) {
        const std::string name = SelectedCable();
        if (name == kVirtual)
            return std::make_unique<ForVirtual>(dllDir);
        if (name == kBlaster)
            return std::make_unique<ForBlaster>();
        error = "unknown cable \"" + name + "\" in KBR370_CABLE (known: " + kVirtual + ", " +
                kBlaster + ")";
        return nullptr;
    }
};

} // namespace drivers
