#pragma once
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}
class TBoard;

// info, leds, seg7, inputs, sd and configure.
void AddBoardCommands(CLI::App& app);

// The commands of kbr370 over a board session. Each throws TCliError on
// failure; arguments are checked by the caller before the board is touched.

// Opens the link and checks that the board answers as KBR_370.
void ConnectBoard(TBoard& board);
// Connects, runs one board command and disconnects.
void WithBoard(const std::function<void(TBoard&)>& command);

void RunInfo(TBoard& board, std::ostream& out);
void RunLeds(TBoard& board, uint32_t bits);
void RunSeg7(TBoard& board, uint32_t value, uint8_t extra);
void RunInputs(TBoard& board, std::ostream& out);
void RunSd(TBoard& board, std::ostream& out);

// Configures the FPGA with the design file through the download tool.
// `userFile` tells whether the user named the file (a missing one is then a usage error).
// Unless `force` is given, a board whose link another program holds is left alone.
void RunConfigure(const std::string& file, bool userFile, bool force, std::ostream& out);
