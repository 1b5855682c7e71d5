#pragma once
#include <memory>
#include <string>

#include "drivers/jtag/Cable.h"

namespace drivers {

// Makes the cable that KBR370_CABLE names. Real cables join the table in
// CableFactory.cpp.
class CableFactory {
public:
    // Nothing, with `error` set, when `name` is not a known cable.
    static std::unique_ptr<Cable> Make(const std::string& name, const std::string& dllDir,
                                       std::string& error);
    // The known names, comma-separated, for messages.
    static std::string KnownNames();
};

} // namespace drivers
