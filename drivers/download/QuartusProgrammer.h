#pragma once
#include "drivers/download/Programmer.h"

namespace drivers {

// Configures a real board's FPGA with Quartus's command-line programmer,
// <Quartus>/bin/quartus_pgm, through a USB-Blaster.
class QuartusProgrammer : public Programmer {
public:
    bool Configure(const std::string& sofFile, std::string& error) override;
    // The number of quartus_pgm's "Version X.Y" line; 0 (with a line on
    // standard error) when Quartus is not found or the run fails.
    double QuartusVersion() override;

    static constexpr int kDownloadTimeoutMs = 2 * 60 * 1000;
    static constexpr int kVersionTimeoutMs = 30 * 1000;
    static constexpr const char* kDefaultCable = "USB-Blaster";
};

} // namespace drivers
