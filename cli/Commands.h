#pragma once
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace CLI {
class App;
}
class TBoardConnection;
class THost;

// info, leds, seg7, inputs, sd and configure; every command tells `host`
// what it has to say beyond its result.
void AddBoardCommands(CLI::App& app, THost& host);

// The commands of kbr370 over a board connection. Each throws TCliError on
// failure; arguments are checked by the caller before the board is touched.

// Opens the link and checks that the board answers as KBR_370; a board that
// does not gets the advice to configure it.
void ConnectBoard(TBoardConnection& connection);
// Connects, runs one board command and disconnects.
void WithBoard(THost& host, const std::function<void(TBoardConnection&)>& command);

void RunInfo(TBoardConnection& connection, std::ostream& out);
void RunLeds(TBoardConnection& connection, uint32_t bits);
void RunSeg7(TBoardConnection& connection, uint32_t value, uint8_t extra);
void RunInputs(TBoardConnection& connection, std::ostream& out);
void RunSd(TBoardConnection& connection, std::ostream& out);

// Configures the FPGA with the design file through the download tool.
// `userFile` tells whether the user named the file (a missing one is then a usage error).
// Unless `force` is given, a board whose link another program holds is left alone.
void RunConfigure(THost& host, const std::string& file, bool userFile, bool force,
                  std::ostream& out);
