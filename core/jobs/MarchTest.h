#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The patterns of the memory checks, without a board: walking bits over a
// word, the address lines a memory has, the elements of the march, and the
// faults a comparison of expected and read bytes finds.

// One wrong bit, or one wrong address line, of a memory.
struct TMemoryFault {
    uint32_t address = 0; // byte address
    int bit = -1;         // bit of that byte, 0-7; -1 when an address line is at fault
    uint8_t expected = 0;
    uint8_t read = 0;
    int line = -1; // address line that reaches a wrong cell, else -1
};

// Collects faults up to a limit, counting all of them: a dead memory must
// not fill a report with millions of lines.
struct TFaultList {
    explicit TFaultList(size_t limit = 16) : limit(limit) {}
    void Add(const TMemoryFault& fault);
    // One fault per differing bit between what was expected and what was read.
    void CompareByte(uint32_t address, uint8_t expected, uint8_t read);
    void Compare(uint32_t address, const uint8_t* expected, const uint8_t* read, size_t count);
    void CompareFill(uint32_t address, uint8_t expected, const uint8_t* read, size_t count);
    bool Empty() const { return total == 0; }

    size_t limit;
    // Faults found; a bit already listed is not counted again.
    size_t total = 0;
    std::vector<TMemoryFault> faults; // the first `limit` of them
};

// Walking ones, then walking zeros, over a word of `wordBytes` bytes: one
// pattern per data line, the word's bytes in address order.
std::vector<std::vector<uint8_t>> WalkingPatterns(uint32_t wordBytes);

// The address lines of a memory of `size` bytes: one per bit of its highest
// byte address.
int AddressLines(uint32_t size);

// What an address-bus check writes: a byte at 0 and one at each power of two.
inline constexpr uint8_t kAddressPattern = 0xAA;
inline constexpr uint8_t kAddressAntiPattern = 0x55;

// One element of a march: over the window upwards or downwards, each cell is
// read (expecting `read`) and then written with `write`; -1 skips either.
struct TMarchElement {
    bool descending;
    int read;
    int write;
};

// March C-, with the all-zero and all-one bytes as its two values:
// up(w0); up(r0,w1); up(r1,w0); down(r0,w1); down(r1,w0); up(r0).
inline constexpr TMarchElement kMarchCMinus[] = {
    {false, -1, 0x00},  {false, 0x00, 0xFF}, {false, 0xFF, 0x00},
    {true, 0x00, 0xFF}, {true, 0xFF, 0x00},  {false, 0x00, -1},
};

// Bytes a march moves over the link for a window of `window` bytes.
uint64_t MarchTraffic(uint32_t window);

// The flash's erase sectors: sector `index` of `steps` covers
// [SectorStart(index), SectorStart(index + 1)).
uint32_t SectorStart(uint32_t flashSize, uint32_t steps, uint32_t index);
uint32_t SectorOf(uint32_t flashSize, uint32_t steps, uint32_t address);
