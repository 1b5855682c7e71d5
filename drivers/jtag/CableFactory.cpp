#include "drivers/jtag/CableFactory.h"

#include "drivers/jtag/VirtualCable.h"

namespace drivers {

namespace {

struct CableKind {
    const char* name;
    std::unique_ptr<Cable> (*make)(const std::string& dllDir);
};

const CableKind kCables[] = {
    {"virtual", [](const std::string& dllDir) -> std::unique_ptr<Cable> {
         return std::make_unique<VirtualCable>(dllDir);
     }},
};

} // namespace

std::unique_ptr<Cable> CableFactory::Make(const std::string& name, const std::string& dllDir,
                                          std::string& error) {
    for (const auto& kind : kCables)
        if (name == kind.name)
            return kind.make(dllDir);
    error = "unknown cable \"" + name + "\" in KBR370_CABLE (known: " + KnownNames() + ")";
    return nullptr;
}

std::string CableFactory::KnownNames() {
    std::string names;
    for (const auto& kind : kCables)
        names += (names.empty() ? "" : ", ") + std::string(kind.name);
    return names;
}

} // namespace drivers
