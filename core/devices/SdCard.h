#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "board/SdCardRegisters.h"
#include "core/devices/DeviceResult.h"

class TBoardConnection;

// The SD card in the board's slot: its CID and CSD registers and the file
// system the board found on it.
namespace kbr::devices {

struct TSdCard {
    std::array<uint8_t, 16> cidBytes{}; // as the card holds them, most significant first
    std::array<uint8_t, 16> csdBytes{};
    uint8_t fileSystemCode = 0;
    TSdCid cid;             // decoded
    TSdCsd csd;
    std::string fileSystem; // "FAT16", "FAT32" or "NA"
    // The registers as the SD card page shows them, a line feed after each line.
    std::string cidText, csdText;
};

// Reads the card's registers. Refused when there is no card, or one the
// board cannot read (the reason says so and how to mend it, on one line).
TDeviceValue<TSdCard> ReadSdCard(TBoardConnection& connection);

// The self test's "sd" area: the card's registers and their CRC7s.
void CheckSdCard(TCheckRun& run);

} // namespace kbr::devices
