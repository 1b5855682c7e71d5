#pragma once
#include <string>
#include <vector>

namespace CLI {
class App;
class ParseError;
} // namespace CLI

// What the words after `kbr370` got wrong, as one line like every other
// failure: a misplaced or misspelt option, an unknown command, words left
// over. `words` are the command line's words after the program's name, for
// the corrected line a misplaced option is shown in.
std::string UsageText(const CLI::App& app, const CLI::ParseError& e,
                      const std::vector<std::string>& words);

// The known word nearest `word` (at most two letters changed, and fewer than
// half of its letters); empty when none is that near.
std::string NearestWord(const std::string& word, const std::vector<std::string>& known);

// Why a --cable NAME is no cable: empty for a kind we know (in any case) and
// for a name as jtagconfig prints one, which ends in its port in brackets
// ("USB-Blaster [1-1.4]", "USB-Blaster on labhost [1-1.4]").
std::string CableMistake(const std::string& name);
