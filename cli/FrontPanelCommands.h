#pragma once
#include <string>

namespace CLI {
class App;
}
class THost;

// kbr370's commands for the board's front panel beyond the LEDs and digits:
// `lcd <line0> <line1>` puts two lines on the character LCD.
void AddFrontPanelCommands(CLI::App& app, THost& host);

// `inputs --watch`: connects, prints the switches and keys as 0x%08X (or
// InputsJson with the time, under --json), then a line at every change,
// polling as the panel does, until a stop signal (exit 128 + signal) or the
// link fails. With a `vcdFile` each key and switch goes to it as a VCD wire;
// "-" is standard output, which then carries the trace only.
void WatchInputs(THost& host, const std::string& vcdFile);
