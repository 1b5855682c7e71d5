#pragma once
// Texts from the board are printed through platform::TerminalSafe, which the
// drivers share for what they print.
#include "platform/TerminalText.h"

using platform::TerminalSafe;
