#pragma once

namespace CLI {
class App;
}

// `mem erase`, `mem verify`, and read-back verification for `mem write`
// (on by default for the flash). Registers on the app's existing `mem` command.
void AddMemoryCommands(CLI::App& app);
