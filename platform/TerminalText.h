#pragma once
#include <string>
#include <string_view>

namespace platform {

// Text from outside (a board, a programmer's output) made safe for a terminal:
// every byte that is not printable ASCII becomes \xNN (a backslash too, as
// \x5C), so nobody else's text can send escape sequences to the user's
// terminal. With `keepLineBreaks` a '\n' stays, for texts laid out in lines.
std::string TerminalSafe(std::string_view text, bool keepLineBreaks = false);

} // namespace platform
