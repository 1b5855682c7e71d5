#include "cli/UsageText.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <regex>

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fmt/ranges.h>

#include "platform/ChosenCable.h"
#include "platform/TerminalText.h"

namespace {

// The deepest command the words chose: `mem` in "kbr370 mem foo".
const CLI::App& ChosenCommand(const CLI::App& app) {
    const CLI::App* at = &app;
    while (!at->get_subcommands().empty())
        at = at->get_subcommands().front();
    return *at;
}

// "mem read " for that command, "" for kbr370 itself.
std::string CommandPath(const CLI::App& app, const CLI::App& command) {
    std::string path;
    for (const CLI::App* at = &command; at != &app; at = at->get_parent())
        path.insert(0, at->get_name() + " ");
    return path;
}

std::vector<std::string> CommandsOf(const CLI::App& command) {
    std::vector<std::string> names;
    for (const CLI::App* sub : command.get_subcommands([](const CLI::App*) { return true; }))
        names.push_back(sub->get_name());
    return names;
}

bool IsOptionWord(const std::string& word) {
    return word.size() > 1 && word[0] == '-';
}

// "--time-limit" of "--time-limit=500".
std::string OptionName(const std::string& word) {
    return word.substr(0, word.find('='));
}

const CLI::Option* OptionOf(const CLI::App& command, const std::string& name) {
    return command.get_option_no_throw(name);
}

// The long and short names of a command's options, "--output" and "-o".
std::vector<std::string> OptionNames(const CLI::App& command) {
    std::vector<std::string> names;
    for (const CLI::Option* option : command.get_options()) {
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
        for (const std::string& name : option->get_snames())
            names.push_back("-" + name);
    }
    return names;
}

// A word as the shell takes it back.
std::string ShellWord(const std::string& word) {
    const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](unsigned char c) {
        return std::isalnum(c) || std::strchr("-_./=:,+@%", c) != nullptr;
    });
    if (plain)
        return platform::TerminalSafe(word);
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return platform::TerminalSafe(quoted + "'");
}

// The command line with `word` (and its value, when it takes one) moved to
// just after the program's name, or to the end.
std::string Moved(const std::vector<std::string>& words, const std::string& word, bool takesValue,
                  bool toFront) {
    std::vector<std::string> option, rest;
    for (size_t i = 0; i < words.size(); ++i) {
        if (option.empty() && words[i] == word) {
            option.push_back(words[i]);
            if (takesValue && word.find('=') == std::string::npos && i + 1 < words.size())
                option.push_back(words[++i]);
        } else {
            rest.push_back(words[i]);
        }
    }
    std::string line = "kbr370";
    for (const auto* part : toFront ? std::vector{&option, &rest} : std::vector{&rest, &option})
        for (const std::string& w : *part)
            line += " " + ShellWord(w);
    return line;
}

bool TakesValue(const CLI::Option& option) {
    return option.get_items_expected_max() > 0;
}

// The mistake an option word left over tells: one of kbr370's own options
// after the command, a command's option before it, or a misspelt name.
std::string OptionMistake(const CLI::App& app, const CLI::App& chosen, const std::string& path,
                          const std::string& word, const std::vector<std::string>& words) {
    const std::string name = OptionName(word);
    const std::string help = fmt::format("(kbr370 {}--help tells more)", path);
    if (&chosen != &app) {
        if (const CLI::Option* global = OptionOf(app, name))
            return fmt::format("{} goes before the command: {}", name,
                               Moved(words, word, TakesValue(*global), true));
        if (const CLI::Option* own = OptionOf(chosen, name))
            return fmt::format("{} goes after the command: {}", name,
                               Moved(words, word, TakesValue(*own), false));
    }
    std::vector<std::string> known = OptionNames(chosen);
    if (&chosen != &app)
        for (const std::string& global : OptionNames(app))
            known.push_back(global);
    const std::string nearest = NearestWord(name, known);
    if (!nearest.empty())
        return fmt::format("unknown option {}; did you mean {}? {}", platform::TerminalSafe(name),
                           nearest, help);
    return fmt::format("unknown option {} {}", platform::TerminalSafe(name), help);
}

size_t Distance(const std::string& a, const std::string& b) {
    // Optimal string alignment: a swap of two letters counts as one change.
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::string NearestWord(const std::string& word, const std::vector<std::string>& known) {
    const std::string letters = word.substr(word.find_first_not_of('-') == std::string::npos
                                                ? word.size()
                                                : word.find_first_not_of('-'));
    std::string best;
    size_t bestDistance = 3;
    for (const std::string& candidate : known) {
        const size_t d = Distance(Lower(word), Lower(candidate));
        if (d < bestDistance && 2 * d < letters.size()) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}

std::string CableMistake(const std::string& name) {
    const std::vector<std::string> kinds = {platform::kVirtualCable, platform::kBlasterCable};
    if (std::find(kinds.begin(), kinds.end(), Lower(name)) != kinds.end())
        return {};
    // jtagconfig's names end in the cable's port: "[1-1.4]", "[USB-0]".
    static const std::regex kPort(R"(.*\S\s+\[[^\]\s]+\]\s*)");
    if (std::regex_match(name, kPort))
        return {};
    const std::string nearest = NearestWord(name, kinds);
    return fmt::format("unknown cable \"{}\"{}; --cable takes {}, {}, or a cable's name as "
                       "jtagconfig lists it, port included, such as \"USB-Blaster [1-1.4]\"",
                       platform::TerminalSafe(name),
                       nearest.empty() ? "" : " (did you mean " + nearest + "?)",
                       platform::kVirtualCable, platform::kBlasterCable);
}

std::string UsageText(const CLI::App& app, const CLI::ParseError& e,
                      const std::vector<std::string>& words) {
    const CLI::App& chosen = ChosenCommand(app);
    const std::string path = CommandPath(app, chosen);
    const std::vector<std::string> left = app.remaining(true);
    const std::vector<std::string> names = CommandsOf(chosen);
    const bool commandMissing = !names.empty() && chosen.get_subcommands().empty();

    // A missing or unknown command is named beside the commands there are.
    if (commandMissing && (e.get_name() == "RequiredError" || e.get_name() == "ExtrasError")) {
        const auto word = std::find_if(left.begin(), left.end(),
                                       [](const std::string& w) { return !IsOptionWord(w); });
        std::string why;
        if (word != left.end())
            why = "unknown command " + path + platform::TerminalSafe(*word);
        else if (!left.empty())
            why = "unknown option " + platform::TerminalSafe(OptionName(left.front()));
        else
            why = path.empty() ? "no command given"
                               : "a command must follow " + path.substr(0, path.size() - 1);
        return fmt::format("{}; the commands are: {} (kbr370 {}--help says what each does)", why,
                           fmt::join(names, ", "), path);
    }
    // An option left over is the likeliest cause of what else went wrong (a
    // required option "missing" because its name was misspelt).
    const auto option = std::find_if(left.begin(), left.end(), IsOptionWord);
    if (option != left.end())
        return OptionMistake(app, chosen, path, *option, words);
    if (!left.empty()) {
        std::vector<std::string> shown;
        for (const std::string& w : left)
            shown.push_back(ShellWord(w));
        return fmt::format("the following arguments were not expected: {} (kbr370 {}--help "
                           "tells more)",
                           fmt::join(shown, " "), path);
    }
    return fmt::format("{} (kbr370 {}--help tells more)", platform::TerminalSafe(e.what()), path);
}
