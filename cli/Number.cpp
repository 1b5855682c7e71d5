#include "cli/Number.h"

#include <fmt/format.h>

#include "cli/CliError.h"
#include "core/formats/HexCodec.h"

namespace {

// A digit's value, or a value above every base for anything else.
int DigitValue(char c) {
    const int value = HexDigitValue(c);
    return value < 0 ? 99 : value;
}

unsigned SuffixShift(char c) {
    switch (c) {
    case 'K': case 'k': return 10;
    case 'M': case 'm': return 20;
    case 'G': case 'g': return 30;
    default: return 0;
    }
}

bool Fail(std::string* why, std::string reason) {
    if (why)
        *why = std::move(reason);
    return false;
}

} // namespace

std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max, std::string* why) {
    unsigned base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        base = 16;
    else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'b' || text[1] == 'B'))
        base = 2;
    if (base != 10)
        text.remove_prefix(2);
    // A hex B would otherwise read as a digit; only K, M and G are suffixes.
    const unsigned shift = text.empty() ? 0 : SuffixShift(text.back());
    if (shift)
        text.remove_suffix(1);
    if (text.empty()) {
        Fail(why, "has no digits");
        return std::nullopt;
    }
    // Past 2^40 nothing this board has is that large; it also keeps the sum from overflowing.
    constexpr uint64_t kLimit = uint64_t{1} << 40;
    uint64_t value = 0;
    for (const char c : text) {
        const int digit = DigitValue(c);
        if (digit >= static_cast<int>(base)) {
            Fail(why, base == 16 ? fmt::format("holds '{}', not a hex digit", c)
                      : base == 2 ? fmt::format("holds '{}', not a binary digit", c)
                                  : fmt::format("holds '{}', not a decimal digit (0x for hex)", c));
            return std::nullopt;
        }
        value = value * base + static_cast<unsigned>(digit);
        if (value > kLimit)
            value = kLimit + 1; // still checked digit by digit, never wrapped
    }
    // The suffix must not push the value past 64 bits, where it would wrap.
    if (value > kLimit || value > (UINT64_MAX >> shift)) {
        Fail(why, "is far too large");
        return std::nullopt;
    }
    value <<= shift;
    if (value > max) {
        Fail(why, fmt::format("is more than {} (0x{:X})", max, max));
        return std::nullopt;
    }
    return value;
}

uint64_t NumberArgument(const std::string& text, const char* what, uint64_t max) {
    std::string why;
    if (const auto value = ParseNumber(text, max, &why))
        return *value;
    throw UsageError(fmt::format("{} \"{}\" {} ({})", what, text, why, kNumberForms));
}
