#include "drivers/jtag/CableFactory.h"

#include "drivers/common/KindTable.h"
#include "drivers/jtag/UsbBlasterCable.h"
#include "drivers/jtag/VirtualCable.h"

namespace drivers {

namespace {

const TKind<Cable> kCables[] = {
    {"virtual", [](const std::string& dllDir) -> std::unique_ptr<Cable> {
         return std::make_unique<VirtualCable>(dllDir);
     }},
    {"usb-blaster", [](const std::string&) -> std::unique_ptr<Cable> {
         return std::make_unique<UsbBlasterCable>();
     }},
};

} // namespace

std::unique_ptr<Cable> CableFactory::Make(const std::string& name, const std::string& dllDir,
                                          std::string& error) {
    return MakeKind(kCables, name, dllDir, error);
}

std::string CableFactory::KnownNames() { return drivers::KnownNames(kCables); }

} // namespace drivers
