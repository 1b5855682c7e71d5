#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Numbers are written the same way in every command: 0x hexadecimal, 0b
// binary, plain digits decimal, and a K, M or G after the digits multiplies by
// 1024, 1024^2 or 1024^3 (so 4K is 4096 and 0x10K is 16384).
inline constexpr const char* kNumberForms =
    "0x hex, 0b binary or decimal, K/M/G multiply by 1024";

// The value, or empty with the reason in `why` when the text is not such a
// number or lies above `max`.
std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max, std::string* why = nullptr);

// The same for a command's argument: a bad one is a usage error that names
// `what` and quotes the text.
uint64_t NumberArgument(const std::string& text, const char* what, uint64_t max);
