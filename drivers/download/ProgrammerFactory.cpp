#include "drivers/download/ProgrammerFactory.h"

#include "drivers/download/VirtualProgrammer.h"

namespace drivers {

namespace {

struct ProgrammerKind {
    const char* name;
    std::unique_ptr<Programmer> (*make)(const std::string& dllDir);
};

const ProgrammerKind kProgrammers[] = {
    {"virtual", [](const std::string& dllDir) -> std::unique_ptr<Programmer> {
         return std::make_unique<VirtualProgrammer>(dllDir);
     }},
};

} // namespace

std::unique_ptr<Programmer> ProgrammerFactory::Make(const std::string& name,
                                                    const std::string& dllDir, std::string& error) {
    for (const auto& kind : kProgrammers)
        if (name == kind.name)
            return kind.make(dllDir);
    error = "unknown cable \"" + name + "\" in KBR370_CABLE (known: " + KnownNames() + ")";
    return nullptr;
}

std::string ProgrammerFactory::KnownNames() {
    std::string names;
    for (const auto& kind : kProgrammers)
        names += (names.empty() ? "" : ", ") + std::string(kind.name);
    return names;
}

} // namespace drivers
