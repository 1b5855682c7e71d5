#include "core/formats/HexCodec.h"

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

} // namespace

void EncodeHexText(const uint8_t* data, size_t count, char* out) {
    for (size_t i = 0; i < count; ++i) {
        out[2 * i] = kDigits[data[i] >> 4];
        out[2 * i + 1] = kDigits[data[i] & 0x0F];
    }
}

std::string EncodeHexText(const uint8_t* data, size_t count) {
    std::string text(2 * count, '\0');
    EncodeHexText(data, count, text.data());
    return text;
}

bool DecodeHexText(uint8_t* buffer, size_t digitCount, HexDecodeError* error) {
    for (size_t i = 0; i < digitCount; i += 2) {
        const int high = HexDigitValue(buffer[i]);
        // The padding digit of an odd count is never read: it may lie past the buffer.
        const int low = i + 1 < digitCount ? HexDigitValue(buffer[i + 1]) : 0;
        if (high < 0 || low < 0) {
            if (error) {
                error->offset = high < 0 ? i : i + 1;
                error->character = static_cast<char>(buffer[error->offset]);
            }
            return false;
        }
        // Byte i / 2 lies at or before digit i, so writing it never spoils a digit still unread.
        buffer[i / 2] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}
