#pragma once
#include <string>

namespace drivers {

// Where Quartus (or its stand-alone Programmer) is installed: the folder that
// holds bin/quartus_pgm and linux64/ with the JTAG server's libraries.
class QuartusFolder {
public:
    // $QUARTUS_ROOTDIR when it names a folder; else the folder above the bin/
    // of the first quartus_pgm on $PATH. False, with `error` saying how it was
    // looked for, when neither is there.
    static bool Find(std::string& folder, std::string& error);

    // `folder` joined with a path inside it.
    static std::string Join(const std::string& folder, const char* inside);
};

} // namespace drivers
