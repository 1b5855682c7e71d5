#pragma once

// Bytes as hex text, as the HEX files and the virtual board's control lines
// both write them.
namespace kbr::wire {

// The value of one hex digit, either case; -1 for anything else.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace kbr::wire
