#pragma once
#include <cstdint>
#include <string>

#include "wire/Memories.h"

// The memory page's model without pixels (the memories themselves are in
// wire/Memories.h): word addressing, the hex fields' checks and the texts built from
// them. Addresses and lengths typed by the user count 16-bit words.

// Words of a memory; the page's addresses and lengths count them.
constexpr uint32_t WordCount(const kbr::wire::TMemory& memory) {
    return memory.size / memory.wordSize;
}

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
