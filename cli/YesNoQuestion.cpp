#include "cli/YesNoQuestion.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <unistd.h>

#include <fmt/format.h>

#include "cli/CliError.h"

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

bool AskYesNo(const std::string& question, std::istream& in, std::ostream& out, bool emptyIsNo) {
    out << "kbr370: " << question << (emptyIsNo ? " [y/N] " : " [y/n] ") << std::flush;
    std::string answer;
    while (std::getline(in, answer)) {
        answer.erase(0, answer.find_first_not_of(" \t\r"));
        answer.erase(answer.find_last_not_of(" \t\r") + 1);
        answer = Lower(answer);
        if (answer == "y" || answer == "yes")
            return true;
        if (answer == "n" || answer == "no" || (answer.empty() && emptyIsNo))
            return false;
        out << "kbr370: please answer y or n: " << std::flush;
    }
    // No one is left to answer; end the question's line.
    out << "\n" << std::flush;
    return false;
}

bool AskYesNo(const std::string& question) {
    std::cout.flush();
    return AskYesNo(question, std::cin, std::cerr);
}

void ConfirmLoss(const std::string& step, bool yes, bool terminal, std::istream& in,
                 std::ostream& out) {
    if (yes)
        return;
    if (!terminal)
        throw UsageError(fmt::format("no terminal to ask whether to {}: give --yes to go on "
                                     "without asking",
                                     step));
    if (!AskYesNo(step + "? What it holds now is lost.", in, out, true))
        throw BoardFailure(fmt::format("nothing was done: the answer to \"{}?\" was not yes",
                                       step));
}

void ConfirmLoss(const std::string& step, bool yes) {
    std::cout.flush();
    ConfirmLoss(step, yes, isatty(STDIN_FILENO) == 1, std::cin, std::cerr);
}
