#pragma once
#include <ostream>

namespace CLI {
class App;
}
class TBoard;

// kbr370's commands for the board's front panel beyond the LEDs and digits:
// `lcd <line0> <line1>` puts two lines on the character LCD.
void AddFrontPanelCommands(CLI::App& app);

// `inputs --watch`: prints the switches and keys as 0x%08X, then a line at
// every change, polling as the panel does, until interrupted or the link fails.
[[noreturn]] void RunInputsWatch(TBoard& board, std::ostream& out);
