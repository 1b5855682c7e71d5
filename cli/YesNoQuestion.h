#pragma once
#include <iosfwd>
#include <string>

// The one way kbr370 asks the person at the terminal: "kbr370: QUESTION [y/n] "
// on standard error, an answer a line on standard input. y, yes, n and no
// answer, in any case; anything else asks again; the end of the input, or an
// empty answer when `emptyIsNo`, is no.
bool AskYesNo(const std::string& question, std::istream& in, std::ostream& out,
              bool emptyIsNo = false);
bool AskYesNo(const std::string& question);

// Before a step that loses what the board holds ("erase the whole flash"):
// `yes` (--yes) goes on at once; otherwise the person is asked, and when
// standard input is no terminal there is no one to ask, so --yes is needed
// (exit 2). Anything but yes ends the command (exit 1), nothing done.
void ConfirmLoss(const std::string& step, bool yes);
void ConfirmLoss(const std::string& step, bool yes, bool terminal, std::istream& in,
                 std::ostream& out);
