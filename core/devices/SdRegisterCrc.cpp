#include "core/devices/SdRegisterCrc.h"

uint8_t SdCrc7(const uint8_t* data, size_t count) {
    uint8_t crc = 0;
    for (size_t i = 0; i < count; ++i) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool in = ((data[i] >> bit) & 1) != ((crc >> 6) & 1);
            crc = uint8_t((crc << 1) & 0x7F);
            if (in)
                crc ^= 0x09; // x^3 + 1; x^7 is the bit shifted out
        }
    }
    return crc;
}

bool SdRegisterCrcValid(const uint8_t reg[16]) {
    return SdCrc7(reg, 15) == StoredSdCrc7(reg);
}
