#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// A 32-bit hexadecimal number. With `needPrefix` the text must start with 0x
// (or 0X); without it the prefix is optional. Nothing else may surround the
// digits. Empty when the text is not such a number or does not fit 32 bits.
std::optional<uint32_t> ParseHexNumber(std::string_view text, bool needPrefix);
