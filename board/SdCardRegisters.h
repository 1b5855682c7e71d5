#pragma once
#include <cstdint>
#include <string>

// Human-readable texts of an SD card's CID and CSD registers (16 bytes each,
// most significant byte first), as the SD card page shows them: UTF-8, with no
// control character but the line feed that ends each line.
std::string CidText(const uint8_t cid[16]);
std::string CsdText(const uint8_t csd[16]);
// "FAT16" for code 1, "FAT32" for code 2, "NA" for anything else.
std::string FileSystemName(uint8_t code);
