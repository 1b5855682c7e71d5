#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Bytes the board reports as text, made readable: each byte is the Latin-1
// character of its number, and a control character, which no font draws, is
// written out: C0 controls and DEL in caret notation (^M for CR, ^[ for ESC,
// ^? for DEL), C1 controls as their number in angle brackets (<85>).

// How a control byte is written; empty for a byte that shows as itself.
std::string ControlNotation(uint8_t byte);

// The bytes as UTF-8 text without any control character.
std::string VisibleLatin1(std::string_view bytes);
