#pragma once
#include <cstdint>
#include <string>

// An SD card's CID and CSD registers (16 bytes each, most significant byte
// first), decoded as the SD card page reads them.

// The card's identity. `oemId` and `dateCode` are read as the page shows
// them (the page's hex digits as one number).
struct TSdCid {
    uint8_t manufacturerId = 0;
    uint16_t oemId = 0;
    std::string productName; // UTF-8, control bytes written out
    uint8_t revision = 0;
    uint32_t serial = 0;
    uint16_t dateCode = 0; // 12 bits: year since 2000 in bits 4-11, month in bits 0-3
};

// What the card says of itself; 0 stands for "not given" in every field
// but `nsac`.
struct TSdCsd {
    int version = 0;              // 1 or 2
    uint64_t accessTimeNs = 0;    // TAAC
    unsigned nsac = 0;            // in units of 100 clock cycles
    uint64_t maxRateKbits = 0;    // TRAN_SPEED, in kbit/s
    uint64_t readBlockLength = 0; // in bytes
    uint64_t capacityMb = 0;      // rounded up to whole MB (2^20 bytes)
};

TSdCid DecodeCid(const uint8_t cid[16]);
TSdCsd DecodeCsd(const uint8_t csd[16]);

// Human-readable texts of the registers, as the SD card page shows them:
// UTF-8, with no control character but the line feed that ends each line.
std::string CidText(const uint8_t cid[16]);
std::string CsdText(const uint8_t csd[16]);
// "FAT16" for code 1, "FAT32" for code 2, "NA" for anything else.
std::string FileSystemName(uint8_t code);
