#pragma once

namespace CLI {
class App;
}
class THost;

// selftest: the whole board checked area by area, a line per check, and the
// JUnit, JSON and HTML reports. Exit 0 all passed, 3 any failed, 1 when the
// board could not be reached or was lost.
void AddSelfTestCommand(CLI::App& app, THost& host);
