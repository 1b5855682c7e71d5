#include "cli/JsonOutput.h"

#include <cstring>

#include <CLI/CLI.hpp>

namespace {

bool jsonOutput = false;

} // namespace

void AddJsonFlag(CLI::App& command, const char* what) {
    command.add_flag("--json", jsonOutput, what);
}

bool JsonOutput() {
    return jsonOutput;
}

bool JsonAsked(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        if (std::strcmp(argv[i], "--json") == 0)
            return true;
    }
    return false;
}

void PrintJson(std::ostream& out, const nlohmann::json& value) {
    // Board texts may hold any byte: replace what is not UTF-8 rather than throw.
    out << value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n'
        << std::flush;
}

const char* ExitMeaning(ExitCode code) {
    switch (code) {
    case kExitOk: return "ok";
    case kExitUsage: return "usage";
    case kExitCheckFailed: return "check-failed";
    case kExitFailure: return "board-failure";
    }
    return code > 128 ? "signal" : "failure";
}

nlohmann::json JsonError(ExitCode code, const std::string& reason) {
    return {{"error", reason}, {"exit", static_cast<int>(code)}, {"meaning", ExitMeaning(code)}};
}
