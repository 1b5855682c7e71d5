#pragma once
#include <string>
#include <string_view>

// Text that comes from the board, made safe for a terminal: every byte that is
// not printable ASCII becomes \xNN (a backslash too, as \x5C), so a board
// cannot send escape sequences to the user's terminal. With `keepLineBreaks`
// a '\n' stays, for texts that are laid out in lines.
std::string TerminalSafe(std::string_view text, bool keepLineBreaks = false);
