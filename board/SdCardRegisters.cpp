#include "board/SdCardRegisters.h"

#include <fmt/format.h>

#include "board/VisibleText.h"

namespace {

// The card's time and rate multipliers 1.0 to 8.0, times ten; index 0 is reserved.
constexpr uint32_t kMultiplier[16] = {0, 10, 12, 13, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 70, 80};

uint64_t PowerOfTen(unsigned k) {
    uint64_t v = 1;
    while (k--)
        v *= 10;
    return v;
}

// value = 10^(unit) x multiplier / 10, as the card's TAAC and TRAN_SPEED encode it.
uint64_t DecodeUnitValue(uint8_t byte) {
    return PowerOfTen(byte & 7) * kMultiplier[(byte >> 3) & 15] / 10;
}

// Capacity in whole MB, rounded up. 64-bit: a 4 GB standard-capacity card
// overflows 32 bits.
uint64_t CapacityMb(const uint8_t* csd, bool version2, uint64_t blockLength) {
    if (version2) {
        const uint32_t cSize = (static_cast<uint32_t>(csd[7] & 0x3F) << 16) |
                               (static_cast<uint32_t>(csd[8]) << 8) | csd[9];
        return cSize >> 1;
    }
    const uint32_t cSize = (static_cast<uint32_t>(csd[6] & 3) << 10) |
                           (static_cast<uint32_t>(csd[7]) << 2) | (csd[8] >> 6);
    const uint32_t mult = (static_cast<uint32_t>(csd[9] & 3) << 1) | (csd[10] >> 7);
    const uint64_t bytes = (uint64_t{1} << (mult + 2)) * (cSize + 1) * blockLength;
    return (bytes + 0xFFFFF) >> 20;
}

} // namespace

TSdCid DecodeCid(const uint8_t cid[16]) {
    TSdCid d;
    d.manufacturerId = cid[0];
    d.oemId = static_cast<uint16_t>(cid[2] << 8 | cid[1]);
    // The name's five bytes are whatever the card holds: a line feed there must
    // not start a line of its own.
    d.productName = VisibleLatin1({reinterpret_cast<const char*>(cid + 3), 5});
    d.revision = cid[8];
    d.serial = static_cast<uint32_t>(cid[9]) << 24 | static_cast<uint32_t>(cid[10]) << 16 |
               static_cast<uint32_t>(cid[11]) << 8 | cid[12];
    d.dateCode = static_cast<uint16_t>((cid[13] & 0x0F) << 8 | cid[14]);
    return d;
}

TSdCsd DecodeCsd(const uint8_t csd[16]) {
    TSdCsd d;
    const unsigned structure = csd[0] >> 6;
    d.version = structure == 0 ? 1 : structure == 1 ? 2 : 0;
    if (csd[1] != 0)
        d.accessTimeNs = DecodeUnitValue(csd[1]);
    d.nsac = csd[2];
    if (csd[3] != 0)
        d.maxRateKbits = DecodeUnitValue(csd[3]) * 100; // the card counts in 100 kbit/s
    const unsigned readBlLen = csd[5] & 0x0F;
    const uint64_t blockLength = uint64_t{1} << readBlLen;
    if (readBlLen != 0)
        d.readBlockLength = blockLength;
    d.capacityMb = CapacityMb(csd, d.version == 2, blockLength);
    return d;
}

std::string CidText(const uint8_t cid[16]) {
    const TSdCid d = DecodeCid(cid);
    std::string s;
    s += fmt::format("-Manufacturer ID:{:02X}h\n", d.manufacturerId);
    s += fmt::format("-OEM/Application ID:{:04X}h\n", d.oemId);
    s += fmt::format("-Product Name:{}\n", d.productName);
    s += fmt::format("-Product Revision:{:02X}h\n", d.revision);
    s += fmt::format("-Serial No.:{:08X}h\n", d.serial);
    s += fmt::format("-Date Code:{:03X}h\n", d.dateCode);
    return s;
}

std::string CsdText(const uint8_t csd[16]) {
    const TSdCsd d = DecodeCsd(csd);
    std::string s;
    if (d.version != 0)
        s += fmt::format("-CSD Version {}.0\n", d.version);
    if (d.accessTimeNs == 0)
        s += "-Read Access Time:NA\n";
    else if (d.accessTimeNs > 1000000)
        s += fmt::format("-Read Access Time:{} ms\n", d.accessTimeNs / 1000000);
    else if (d.accessTimeNs > 1000)
        s += fmt::format("-Read Access Time:{} us\n", d.accessTimeNs / 1000);
    else
        s += fmt::format("-Read Access Time:{} ns\n", d.accessTimeNs);
    s += fmt::format("-Read Access Time (NSAC):{} (x100 cycle) \n", d.nsac);
    if (d.maxRateKbits == 0)
        s += "-Max. Data Transfer Rate:NA\n";
    else if (d.maxRateKbits < 1000)
        s += fmt::format("-Max. Data Transfer Rate:{} Kbits/s\n", d.maxRateKbits);
    else
        s += fmt::format("-Max. Data Transfer Rate:{} Mbits/s\n", d.maxRateKbits / 1000);
    if (d.readBlockLength != 0)
        s += fmt::format("-Max. Read Data Block Length:{} Byte\n", d.readBlockLength);
    if (d.capacityMb != 0)
        s += fmt::format("-Memory Capacity:{}MB\n", d.capacityMb);
    return s;
}

std::string FileSystemName(uint8_t code) {
    switch (code) {
    case 1: return "FAT16";
    case 2: return "FAT32";
    default: return "NA";
    }
}
