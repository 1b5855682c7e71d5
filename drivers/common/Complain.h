#pragma once
#include <string>

namespace drivers {

// One line on standard error, "<library>: <text>", the way the drivers tell
// what went wrong. The text often quotes an outside program or the JTAG
// server, so it is made terminal-safe first.
void Complain(const char* library, const std::string& text);

} // namespace drivers
