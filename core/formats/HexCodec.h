#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "wire/HexDigit.h"

// Memory content files in HEX text: every byte as two hex digits, high digit
// first, nothing between or around them (no line ends, addresses or checksums).

// What the memory page shows when a HEX file holds anything but hex digits.
inline constexpr const char* kInvalidHexFileText = "invalid hex file.";

// Where decoding stopped: the offset of the first character that is not a hex
// digit, and that character.
struct HexDecodeError {
    size_t offset = 0;
    char character = 0;
};

using kbr::wire::HexDigitValue;

// Writes 2 x count upper-case digits to `out` (no terminating NUL).

void EncodeHexText(const uint8_t* data, size_t count, char* out);
std::string EncodeHexText(const uint8_t* data, size_t count);

// Decodes `digitCount` digits in place: pair i becomes byte i at the start of
// the buffer. An odd last digit counts as followed by "0". On a character that
// is not 0-9, a-f or A-F it stops, fills `error` when given and returns false;
// the bytes before that pair are already decoded.
bool DecodeHexText(uint8_t* buffer, size_t digitCount, HexDecodeError* error = nullptr);
inline bool DecodeHexText(char* buffer, size_t digitCount, HexDecodeError* error = nullptr) {
    return DecodeHexText(reinterpret_cast<uint8_t*>(buffer), digitCount, error);
}

// Bytes that `digitCount` digits decode to.
constexpr size_t HexDecodedSize(size_t digitCount) { return digitCount / 2 + digitCount % 2; }
