#pragma once
#include <string>

// The design file to configure the FPGA with: $KBR370_DESIGN when it is set
// (a real board needs its owner's companion design), else `designName` in the
// program's directory (the virtual board's design, built beside the program).
std::string DesignFilePath(const std::string& designName);
