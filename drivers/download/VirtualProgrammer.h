#pragma once
#include "drivers/download/Programmer.h"

namespace drivers {

// Configures kbr370-vboard through its control socket, starting the daemon
// from the DLL's directory when none answers.
class VirtualProgrammer : public Programmer {
public:
    explicit VirtualProgrammer(std::string dllDir);
    bool Configure(const std::string& sofFile, std::string& error) override;
    // No Quartus is needed, so it counts as installed.
    double QuartusVersion() override { return kQuartusVersion; }
    static constexpr double kQuartusVersion = 20.1;

    // The board takes about 1.5 s; a real download takes many seconds more.
    static constexpr int kConfigureTimeoutMs = 30000;

private:
    std::string dllDir;
};

} // namespace drivers
