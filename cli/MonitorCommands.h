#pragma once

namespace CLI {
class App;
}
class THost;

// kbr370 rs232 send|receive|term, kbr370 ir watch, kbr370 ps2 watch: the
// board's monitored channels on the command line. Each switches its channel's
// monitoring mode off again however it ends: time up, end of input, or any
// signal that would end the program (SIGINT, SIGTERM, SIGQUIT, ...).
void AddMonitorCommands(CLI::App& app, THost& host);
