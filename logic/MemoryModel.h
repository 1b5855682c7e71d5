#pragma once
#include <cstdint>
#include <string>

#include "wire/WireFacts.h"

// The memory page's model without pixels: the memories, their sizes in
// bytes, word addressing, the hex fields' checks and the texts built from
// them. Addresses and lengths typed by the user count 16-bit words.

// Memory numbers sent in every memory command.
enum MemoryCode : uint8_t {
    MEM_DDR2 = 1,
    MEM_FLASH = kbr::wire::kMemoryFlash,
    MEM_EPCS = 4,
    MEM_EEPROM = kbr::wire::kMemoryEeprom,
    MEM_SRAM = kbr::wire::kMemorySram,
    MEM_SDRAM = kbr::wire::kMemorySdram,
};

// One size in bytes per memory the page knows.
struct TMemorySizes {
    uint32_t flash = 0;
    uint32_t epcs = 0;
    uint32_t eeprom = 0;
    uint32_t sram = 0;
    uint32_t sdram = 0;
};

void InitMemorySizes(TMemorySizes& sizes);
// Size in bytes of a memory; 0 for a code without a size slot.
uint32_t MemoryBytes(const TMemorySizes& sizes, uint8_t code);
uint32_t WordCount(const TMemorySizes& sizes, uint8_t code);
// Display name of a memory code; empty for an unknown code.
const char* MemoryName(uint8_t code);

// The page's type list: index 0 SRAM, 1 EEPROM, 2 SDRAM, 3 FLASH.
constexpr int kMemoryTypeCount = 4;
constexpr int kFlashIndex = 3;
uint8_t MemoryCodeOfIndex(int index);

// "NAME (nh WORDS, s UNIT)" in the largest unit that fits, truncated.
std::string SizeText(const char* name, uint32_t bytes);
// One "0" per hex digit of the last word address.
std::string ZeroAddressText(uint32_t wordCount);
std::string WordCountText(uint32_t wordCount);

// A hex field's text (no prefix), checked against [min, max] as signed 32-bit
// values. When it is refused, `message` holds the error box's text.
struct THexInput {
    bool ok = false;
    int32_t value = 0;
    std::string message;
};
THexInput CheckHexInputText(const std::string& text, const std::string& fieldName, int32_t max,
                            int32_t min);

// Whole per cent of `done` in `total` (64-bit: 128 MB x 100 overflows 32 bits).
int PercentDone(uint64_t done, uint64_t total);
// A transfer's step: a twentieth of the total (the whole when that is 0),
// never above `cap` (0: no cap).
uint32_t TransferStep(uint32_t total, uint32_t cap);

// Whether the flash can have `steps` erase steps, as QueryEraseStatus reports
// them: at least one, and no more than the 16-bit step index can name. A
// count past that would wrap the index and never end.
constexpr uint32_t kMaxEraseSteps = 0x10000;
bool EraseStepCountValid(uint32_t steps);

// Bytes a content file of `fileSize` bytes stands for (HEX: half its digits,
// rounded up).
uint64_t ContentBytesOfFile(uint64_t fileSize, bool hex);

// printf-style formatting for the page's texts.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
