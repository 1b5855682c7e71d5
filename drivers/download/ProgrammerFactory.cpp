#include "drivers/download/ProgrammerFactory.h"

#include "drivers/common/KindTable.h"
#include "drivers/download/QuartusProgrammer.h"
#include "drivers/download/VirtualProgrammer.h"

namespace drivers {

namespace {

const TKind<Programmer> kProgrammers[] = {
    {"virtual", [](const std::string& dllDir) -> std::unique_ptr<Programmer> {
         return std::make_unique<VirtualProgrammer>(dllDir);
     }},
    {"usb-blaster", [](const std::string&) -> std::unique_ptr<Programmer> {
         return std::make_unique<QuartusProgrammer>();
     }},
};

} // namespace

std::unique_ptr<Programmer> ProgrammerFactory::Make(const std::string& name,
                                                    const std::string& dllDir, std::string& error) {
    return MakeKind(kProgrammers, name, dllDir, error);
}

std::string ProgrammerFactory::KnownNames() { return drivers::KnownNames(kProgrammers); }

} // namespace drivers
