#pragma once
#include <cstdint>
#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "cli/CliError.h"

namespace CLI {
class App;
}

// --json: a command's results as one JSON object on standard output, a
// stream's as one object a line (JSON Lines), and its error as one object on
// standard error. Each command's fields are listed in its man page.

// Adds --json to the command. Given, it also catches what the board's
// libraries write to standard error until the end, for the error object (or,
// after a run that went well, one {"warning": ...} object).
void AddJsonFlag(CLI::App& command, const char* what = "print the result as one JSON object");
// Whether --json was given to the command that runs.
bool JsonOutput();
// Whether the command line asks for JSON, judged from what the parser made of
// it, so that even a usage error can be told as JSON: a command's --json
// given, or a --json the parser could not place (before the command).
bool JsonAsked(const CLI::App& app);

// A watch's line with its times: `time_ms`, milliseconds since the watch's
// first line (`sinceFirstMs` when the watch counts them itself), and `utc`,
// the wall clock to the millisecond ("2026-01-31T12:00:00.000Z").
nlohmann::json StampedLine(nlohmann::json line, std::optional<int64_t> sinceFirstMs = {});

// One object on one line, flushed: for a stream, each line is complete when seen.
void PrintJson(std::ostream& out, const nlohmann::json& value);

// Under --json a message box says nothing itself: its text is kept for the
// error object, so standard error holds that one object only.
void KeepForJsonError(const std::string& text);

// What an exit status means, in a word or two ("usage", "board-failure", ...).
const char* ExitMeaning(ExitCode code);
// {"error": reason, "exit": code, "meaning": ExitMeaning(code)}. What the
// board's libraries wrote to standard error meanwhile and the texts kept from
// boxes come first in "error", a line each.
nlohmann::json JsonError(ExitCode code, const std::string& reason);
