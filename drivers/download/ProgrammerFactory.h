#pragma once
#include <memory>
#include <string>

#include "drivers/download/Programmer.h"

namespace drivers {

// Makes the programmer for the cable that KBR370_CABLE names. Real
// programmers join the table in ProgrammerFactory.cpp.
class ProgrammerFactory {
public:
    // Nothing, with `error` set, when `name` is not a known cable.
    static std::unique_ptr<Programmer> Make(const std::string& name, const std::string& dllDir,
                                            std::string& error);
    static std::string KnownNames();
};

} // namespace drivers
