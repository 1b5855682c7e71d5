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

std::string AccessTimeLine(uint8_t taac) {
    if (taac == 0)
        return "-Read Access Time:NA\n";
    const uint64_t ns = DecodeUnitValue(taac);
    if (ns > 1000000)
        return fmt::format("-Read Access Time:{} ms\n", ns / 1000000);
    if (ns > 1000)
        return fmt::format("-Read Access Time:{} us\n", ns / 1000);
    return fmt::format("-Read Access Time:{} ns\n", ns);
}

std::string TransferRateLine(uint8_t speed) {
    if (speed == 0)
        return "-Max. Data Transfer Rate:NA\n";
    const uint64_t rate = DecodeUnitValue(speed); // in 100 kbit/s
    if (rate < 10)
        return fmt::format("-Max. Data Transfer Rate:{} Kbits/s\n", rate * 100);
    return fmt::format("-Max. Data Transfer Rate:{} Mbits/s\n", rate / 10);
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

std::string CidText(const uint8_t cid[16]) {
    std::string s;
    s += fmt::format("-Manufacturer ID:{:02X}h\n", cid[0]);
    s += fmt::format("-OEM/Application ID:{:02X}{:02X}h\n", cid[2], cid[1]);
    // The name's five bytes are whatever the card holds: a line feed there must
    // not start a line of its own.
    s += fmt::format("-Product Name:{}\n",
                     VisibleLatin1({reinterpret_cast<const char*>(cid + 3), 5}));
    s += fmt::format("-Product Revision:{:02X}h\n", cid[8]);
    s += fmt::format("-Serial No.:{:02X}{:02X}{:02X}{:02X}h\n", cid[9], cid[10], cid[11], cid[12]);
    s += fmt::format("-Date Code:{:01X}{:02X}h\n", cid[13] & 0x0F, cid[14]);
    return s;
}

std::string CsdText(const uint8_t csd[16]) {
    std::string s;
    const unsigned structure = csd[0] >> 6;
    if (structure == 0)
        s += "-CSD Version 1.0\n";
    else if (structure == 1)
        s += "-CSD Version 2.0\n";
    const bool version2 = structure == 1;
    s += AccessTimeLine(csd[1]);
    s += fmt::format("-Read Access Time (NSAC):{} (x100 cycle) \n", csd[2]);
    s += TransferRateLine(csd[3]);
    const unsigned readBlLen = csd[5] & 0x0F;
    const uint64_t blockLength = uint64_t{1} << readBlLen;
    if (readBlLen != 0)
        s += fmt::format("-Max. Read Data Block Length:{} Byte\n", blockLength);
    const uint64_t mb = CapacityMb(csd, version2, blockLength);
    if (mb != 0)
        s += fmt::format("-Memory Capacity:{}MB\n", mb);
    return s;
}

std::string FileSystemName(uint8_t code) {
    switch (code) {
    case 1: return "FAT16";
    case 2: return "FAT32";
    default: return "NA";
    }
}
