#pragma once
#include <cstddef>
#include <cstdint>

// The CRC7 an SD card stores in its CID and CSD registers: polynomial
// x^7 + x^3 + 1 over the first 15 bytes, kept in bits 7..1 of byte 16
// (bit 0 is always 1). A register read over a noisy bus, or a card with a
// spoilt register, shows here.

// The 7-bit CRC of `count` bytes, most significant bit first.
uint8_t SdCrc7(const uint8_t* data, size_t count);

// The CRC7 kept in byte 16 of a 16-byte register (most significant byte first).
constexpr uint8_t StoredSdCrc7(const uint8_t reg[16]) {
    return reg[15] >> 1;
}

// Whether the CRC7 byte 16 holds matches the first 15 bytes.
bool SdRegisterCrcValid(const uint8_t reg[16]);
