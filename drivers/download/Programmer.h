#pragma once
#include <string>

namespace drivers {

// What puts a design into the FPGA. The download DLL maps its one working
// entry point onto this.
class Programmer {
  public:
    virtual ~Programmer() = default;
    // Configures the FPGA from `sofFile`, blocking until done; on failure
    // `error` says why.
    virtual bool Configure(const std::string& sofFile, std::string& error) = 0;
    // The Quartus version it drives; 0 when there is none to drive.
    virtual double QuartusVersion() = 0;
};

// The design file as a whole, normalised path (a programmer may run
// elsewhere), when it names a readable regular file; false with `error`
// saying why otherwise.
bool ResolveDesignFile(const std::string& sofFile, std::string& path, std::string& error);

} // namespace drivers
